#include "simhost/loading/plugin_module.h"

#include <utility>

#include "simhost/host_error.h"
#include "simhost/loading/module_file_check.h"

namespace simhost {

using BakkesMod::Plugin::BakkesModPlugin;

DynamicLibrary openModuleFile(const std::filesystem::path& file) {
    if (const auto fit = fitForLoading(file); !fit) {
        throw HostError(file, fit.reason());
    }
    auto library = DynamicLibrary::open(file);
    if (!library) {
        throw HostError(file, "not a loadable module (" + library.reason() + ")");
    }
    return std::move(*library);
}

PluginModule::PluginModule(std::filesystem::path file)
    : file_(std::move(file)), library_(openModuleFile(file_)) {
    record_ = static_cast<PluginExportRecord*>(library_.symbol("exports"));
    if (record_ == nullptr) {
        throw fail("has no 'exports' record");
    }
    if (record_->hostApiVersion != kHostApiVersion) {
        throw fail("was built for host API version " + std::to_string(record_->hostApiVersion) +
                   ", this host speaks " + std::to_string(kHostApiVersion));
    }
    if (record_->createEntry == nullptr) {
        throw fail("its record has no creation entry");
    }
    if (record_->deleteEntry == nullptr) {
        throw fail("its record has no release entry");
    }
}

std::shared_ptr<BakkesModPlugin> PluginModule::create() {
    const std::uintptr_t address =
        asHostError(file_, "creating the plug-in", [this] { return record_->createEntry(); });
    if (address == 0) {
        throw fail("the creation entry returned no plug-in");
    }
    // The module hands out the address of its own handle; the host reads it as a handle to the
    // base class and keeps a copy.
    auto copy = handleAt(address);
    if (!copy) {
        throw fail("the creation entry returned an empty plug-in handle");
    }
    return copy;
}

void PluginModule::release() {
    asHostError(file_, "releasing the plug-in", [this] { record_->deleteEntry(); });
}

const std::shared_ptr<BakkesModPlugin>& PluginModule::handleAt(std::uintptr_t address) {
    // An address the module gave as a number, by the host interface's own design.
    // NOLINTNEXTLINE(performance-no-int-to-ptr)
    return *reinterpret_cast<const std::shared_ptr<BakkesModPlugin>*>(address);
}

HostError PluginModule::fail(const std::string& cause) const {
    return HostError(file_, cause);
}

}  // namespace simhost
