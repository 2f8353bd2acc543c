// Checks on the module file and its entries, before any plug-in is loaded into a host.
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "bakkesmod/plugin_export_record.h"
#include "check/base_class_exports.h"
#include "program/check/checks.h"
#include "simhost/host_error.h"
#include "simhost/loading/dynamic_library.h"
#include "simhost/loading/plugin_module.h"
#include "tools/module_probes.h"

namespace simhost::check {

namespace {

// A module file opened, as a plain library or with its record read, and closed when this goes;
// both told to the watch: the module's static initialisation and clean-up run then.
template <typename File>
class Opened {
public:
    template <typename Open>
    Opened(const Settings& settings, Open open)
        : settings_(settings), file_(watched(settings.watches.calls, ModuleCall::Open, open)) {}
    Opened(const Opened&) = delete;
    Opened& operator=(const Opened&) = delete;
    ~Opened() {
        watched(settings_.watches.calls, ModuleCall::Close, [this] { file_.close(); });
    }
    const File& operator*() const { return file_; }
    const File* operator->() const { return &file_; }

private:
    const Settings& settings_;
    File file_;
};

Opened<DynamicLibrary> openLibrary(const Settings& settings) {
    return {settings, [&settings] { return openModuleFile(settings.module); }};
}

// The entries called directly, as a host might: a failure of the module's is put into words
// while its code is still there.
std::uintptr_t create(const Settings& settings, const PluginModule& module) {
    return watched(settings.watches.calls, ModuleCall::Create, [&module] {
        return asHostError(module.file(), "the creation entry",
                           [&module] { return module.record().createEntry(); });
    });
}

void release(const Settings& settings, const PluginModule& module) {
    watched(settings.watches.calls, ModuleCall::Release, [&module] {
        asHostError(module.file(), "the release entry",
                    [&module] { module.record().deleteEntry(); });
    });
}

// Whether a text field of the record is readable, NUL-terminated text inside the module.
Result<> readableText(const DynamicLibrary& library, const char* field, const char* text) {
    constexpr int kLongest = 4096;
    if (text == nullptr) {
        return refuse(std::string(field) + " is null");
    }
    for (int i = 0; i < kLongest; ++i) {
        if (!library.contains(text + i)) {
            return refuse(std::string(field) + " points outside the module");
        }
        if (text[i] == '\0') {
            return {};
        }
    }
    return refuse(std::string(field) + " has no end within " + std::to_string(kLongest) + " bytes");
}

}  // namespace

Outcome opens(const Settings& settings) {
    if (const auto missing = missingImports(settings.module); !missing.empty()) {
        return fail("needs what this host does not provide: " + joined(missing));
    }
    const auto library = openLibrary(settings);
    return pass();
}

Outcome record(const Settings& settings) {
    const auto opened = openLibrary(settings);
    const DynamicLibrary& library = *opened;
    const auto* exported = static_cast<const PluginExportRecord*>(library.symbol("exports"));
    if (exported == nullptr) {
        return fail("the module exports no 'exports' record");
    }
    if (!library.contains(exported)) {
        return fail("'exports' does not lie inside the module");
    }
    if (exported->hostApiVersion != kHostApiVersion) {
        return fail("hostApiVersion is " + std::to_string(exported->hostApiVersion) +
                    ", this host speaks " + std::to_string(kHostApiVersion));
    }
    std::vector<std::string> problems;
    for (const auto& [field, text] :
         {std::pair{"sourcePath", exported->sourcePath}, std::pair{"typeName", exported->typeName},
          std::pair{"displayName", exported->displayName},
          std::pair{"versionText", exported->versionText}}) {
        if (const auto readable = readableText(library, field, text); !readable) {
            problems.push_back(readable.reason());
        }
    }
    // A function's address as data: what the record holds is an address all the same.
    const auto address = [](auto entry) { return reinterpret_cast<const void*>(entry); };
    if (!library.contains(address(exported->createEntry))) {
        problems.emplace_back("createEntry is not set to code of the module");
    }
    if (!library.contains(address(exported->deleteEntry))) {
        problems.emplace_back("deleteEntry is not set to code of the module");
    }
    if (!problems.empty()) {
        return fail(joined(problems));
    }
    return pass(std::string(exported->displayName) + " " + exported->versionText);
}

Outcome baseClass(const Settings& settings) {
    const auto opened = openLibrary(settings);
    const DynamicLibrary& library = *opened;
    std::vector<std::string> missing;
    for (const auto& [name, role] : kBaseClassExports) {
        if (library.symbol(name) == nullptr) {
            missing.emplace_back(role);
        }
    }
    if (!missing.empty()) {
        return fail("the module does not export the base class's " + joined(missing));
    }
    return pass();
}

Outcome entries(const Settings& settings) {
    const Opened<PluginModule> module(settings,
                                      [&settings] { return PluginModule(settings.module); });
    // The host looks the entries up by their plain names; the record's must be those very ones.
    const PluginExportRecord& record = module->record();
    for (const auto& [name, entry, which] :
         {std::tuple{"getPlugin", reinterpret_cast<void*>(record.createEntry), "creation"},
          std::tuple{"deleteMe", reinterpret_cast<void*>(record.deleteEntry), "release"}}) {
        const void* exported = module->symbol(name);
        if (exported == nullptr) {
            return fail(std::string("the module does not export ") + name +
                        " under that plain name, which the host looks up");
        }
        if (exported != entry) {
            return fail(std::string("the record's ") + which + " entry is not the exported " +
                        name);
        }
    }
    release(settings, *module);  // before any creation: nothing to do
    const std::uintptr_t first = create(settings, *module);
    if (first == 0 || !PluginModule::handleAt(first)) {
        return fail("the creation entry gave no plug-in");
    }
    const void* object = PluginModule::handleAt(first).get();
    const std::uintptr_t second = create(settings, *module);
    if (second != first) {
        return fail("a second call of the creation entry gave another handle");
    }
    if (PluginModule::handleAt(second).get() != object) {
        return fail("a second call of the creation entry made another object");
    }
    if (PluginModule::handleAt(second).use_count() != 1) {
        return fail("the module's handle is not the object's only owner");
    }
    release(settings, *module);
    release(settings, *module);  // twice in a row: nothing more to do
    return pass();
}

}  // namespace simhost::check
