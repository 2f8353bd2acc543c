#include "bakkesmod/plugin_module.h"

#include <stdexcept>
#include <system_error>
#include <utility>

#include "bakkesmod/host_error.h"

namespace simhost {

namespace {

using BakkesMod::Plugin::BakkesModPlugin;

DynamicLibrary openLibrary(const std::filesystem::path& file) {
    std::error_code error;
    const auto status = std::filesystem::status(file, error);
    if (status.type() == std::filesystem::file_type::not_found) {
        throw HostError(file.string() + ": no such file");
    }
    if (status.type() == std::filesystem::file_type::directory) {
        throw HostError(file.string() + ": is a directory, not a module");
    }
    try {
        return DynamicLibrary(file);
    } catch (const std::runtime_error& refusal) {
        throw HostError(file.string() + ": not a loadable module (" + refusal.what() + ")");
    }
}

}  // namespace

PluginModule::PluginModule(std::filesystem::path file)
    : file_(std::move(file)), library_(openLibrary(file_)) {
    record_ = static_cast<PluginExportRecord*>(library_.symbol("exports"));
    if (record_ == nullptr) {
        throw HostError(message("has no 'exports' record"));
    }
    if (record_->hostApiVersion != kHostApiVersion) {
        throw HostError(message("was built for host API version " +
                                std::to_string(record_->hostApiVersion) + ", this host speaks " +
                                std::to_string(kHostApiVersion)));
    }
    if (record_->createEntry == nullptr) {
        throw HostError(message("its record has no creation entry"));
    }
    if (record_->deleteEntry == nullptr) {
        throw HostError(message("its record has no release entry"));
    }
}

std::shared_ptr<BakkesModPlugin> PluginModule::create() {
    std::uintptr_t address = 0;
    try {
        address = record_->createEntry();
    } catch (...) {
        throw HostError(
            message("creating the plug-in failed: " + describe(std::current_exception())));
    }
    if (address == 0) {
        throw HostError(message("the creation entry returned no plug-in"));
    }
    // The module hands out the address of its own handle; the host reads it as a handle to the
    // base class and keeps a copy.
    auto copy = *reinterpret_cast<const std::shared_ptr<BakkesModPlugin>*>(address);
    if (!copy) {
        throw HostError(message("the creation entry returned an empty plug-in handle"));
    }
    return copy;
}

void PluginModule::release() {
    try {
        record_->deleteEntry();
    } catch (...) {
        throw HostError(
            message("releasing the plug-in failed: " + describe(std::current_exception())));
    }
}

std::string PluginModule::message(const std::string& cause) const {
    return file_.string() + ": " + cause;
}

}  // namespace simhost
