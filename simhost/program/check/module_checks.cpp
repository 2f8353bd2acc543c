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
#include "simhost/loading/module_file_check.h"
#include "simhost/loading/plugin_module.h"
#include "tools/module_probes.h"

namespace simhost::check {

namespace {

// The module file opened as a plain library, after the host's own checks; the refusal thrown as
// the check's failure.
DynamicLibrary openFile(const std::filesystem::path& file) {
    if (const auto fit = fitForLoading(file); !fit) {
        throw HostError(fit.reason());
    }
    auto library = DynamicLibrary::open(file);
    if (!library) {
        throw HostError(library.reason());
    }
    return std::move(*library);
}

// The module file opened as a plain library, its opening and closing told to the watch: the
// module's static initialisation and clean-up run then.
class OpenLibrary {
public:
    explicit OpenLibrary(const Settings& settings)
        : settings_(settings),
          library_(calling(settings, ModuleCall::Open, [&] { return openFile(settings.module); })) {
    }
    OpenLibrary(const OpenLibrary&) = delete;
    OpenLibrary& operator=(const OpenLibrary&) = delete;
    ~OpenLibrary() {
        calling(settings_, ModuleCall::Close, [this] { library_.close(); });
    }
    const DynamicLibrary& operator*() const { return library_; }

private:
    const Settings& settings_;
    DynamicLibrary library_;
};

// The module opened with its record read, closed the same way.
class OpenModule {
public:
    explicit OpenModule(const Settings& settings)
        : settings_(settings),
          module_(
              calling(settings, ModuleCall::Open, [&] { return PluginModule(settings.module); })) {}
    OpenModule(const OpenModule&) = delete;
    OpenModule& operator=(const OpenModule&) = delete;
    ~OpenModule() {
        calling(settings_, ModuleCall::Close, [this] { module_.close(); });
    }

    // The entries called directly, as a host might: a failure of the module's is put into words
    // while its code is still there.
    std::uintptr_t create() {
        return calling(settings_, ModuleCall::Create, [this] {
            return asHostError(module_.file(), "the creation entry",
                               [this] { return module_.record().createEntry(); });
        });
    }
    // The address the module exports under `name`, or null.
    void* symbol(const char* name) const { return module_.symbol(name); }
    const PluginExportRecord& record() const { return module_.record(); }

    void release() {
        calling(settings_, ModuleCall::Release, [this] {
            asHostError(module_.file(), "the release entry",
                        [this] { module_.record().deleteEntry(); });
        });
    }

private:
    const Settings& settings_;
    PluginModule module_;
};

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
    const OpenLibrary library(settings);
    return pass();
}

Outcome record(const Settings& settings) {
    const OpenLibrary opened(settings);
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
    const OpenLibrary opened(settings);
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
    OpenModule module(settings);
    // The host looks the entries up by their plain names; the record's must be those very ones.
    const PluginExportRecord& record = module.record();
    for (const auto& [name, entry, which] :
         {std::tuple{"getPlugin", reinterpret_cast<void*>(record.createEntry), "creation"},
          std::tuple{"deleteMe", reinterpret_cast<void*>(record.deleteEntry), "release"}}) {
        const void* exported = module.symbol(name);
        if (exported == nullptr) {
            return fail(std::string("the module does not export ") + name +
                        " under that plain name, which the host looks up");
        }
        if (exported != entry) {
            return fail(std::string("the record's ") + which + " entry is not the exported " +
                        name);
        }
    }
    module.release();  // before any creation: nothing to do
    const std::uintptr_t first = module.create();
    if (first == 0 || !PluginModule::handleAt(first)) {
        return fail("the creation entry gave no plug-in");
    }
    const void* object = PluginModule::handleAt(first).get();
    const std::uintptr_t second = module.create();
    if (second != first) {
        return fail("a second call of the creation entry gave another handle");
    }
    if (PluginModule::handleAt(second).get() != object) {
        return fail("a second call of the creation entry made another object");
    }
    if (PluginModule::handleAt(second).use_count() != 1) {
        return fail("the module's handle is not the object's only owner");
    }
    module.release();
    module.release();  // twice in a row: nothing more to do
    return pass();
}

}  // namespace simhost::check
