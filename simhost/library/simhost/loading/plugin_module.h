#pragma once

#include <filesystem>
#include <memory>
#include <string>

#include "bakkesmod/bakkesmod_plugin.h"
#include "bakkesmod/plugin_export_record.h"
#include "simhost/export.h"
#include "simhost/host_error.h"
#include "simhost/loading/dynamic_library.h"

namespace simhost {

// The file opened as a plain library, as the host opens a module: after its own look at the file,
// and refused with a HostError naming the file and the cause.
SIMHOST_API DynamicLibrary openModuleFile(const std::filesystem::path& file);

// A plug-in module file, open, whose record the host has read and accepted. It knows the
// module's side of the boundary only: its record and its two entries.
class SIMHOST_API PluginModule {
public:
    // Opens the file and checks its record. Throws HostError naming the file and the cause: no
    // such file, not a regular file, cut short, not a loadable module, no record, another host API
    // version, a missing entry.
    explicit PluginModule(std::filesystem::path file);

    const std::filesystem::path& file() const { return file_; }
    // The module's own record, in its memory.
    PluginExportRecord& record() const { return *record_; }

    // Calls the creation entry and takes the host's own copy of the handle at the address it
    // returns. Throws HostError when that gives no plug-in.
    //
    // The module hands out the address of its own handle; the host reads it as a handle to the
    // base class: object pointer first, then the pointer to the shared count.
    std::shared_ptr<BakkesMod::Plugin::BakkesModPlugin> create();
    // The module's own handle at an address its creation entry returned, seen as the host sees
    // it (for looking at; create() takes the host's copy).
    static const std::shared_ptr<BakkesMod::Plugin::BakkesModPlugin>& handleAt(
        std::uintptr_t address);
    // Calls the release entry: the module drops its share of the plug-in object.
    void release();
    // Unloads the module; whatever it still owns is released by its static clean-up.
    void close() noexcept { library_.close(); }
    // Whether the address lies in the module's code or data.
    bool contains(const void* address) const { return library_.contains(address); }
    // The address of one of the module's exported names, or null.
    void* symbol(const char* name) const { return library_.symbol(name); }
    // Whether both are one module file, however each was named (a hard link, say).
    bool sameModuleAs(const PluginModule& other) const { return library_.sameAs(other.library_); }

    // The error for this module failing in the way `cause` says.
    HostError fail(const std::string& cause) const;

private:
    std::filesystem::path file_;
    DynamicLibrary library_;
    PluginExportRecord* record_ = nullptr;
};

}  // namespace simhost
