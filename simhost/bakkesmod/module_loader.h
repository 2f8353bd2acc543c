#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <vector>

#include "bakkesmod/api.h"
#include "bakkesmod/bakkesmod_plugin.h"
#include "bakkesmod/cvar_manager_wrapper.h"
#include "bakkesmod/game_wrapper.h"
#include "bakkesmod/host_internals.h"
#include "bakkesmod/plugin_module.h"

namespace simhost {

class ConsoleLog;
class ConsoleVariables;
class Overlay;

struct LoadedModule {
    ModuleId id;
    PluginModule module;
    // The host's own copy of the plug-in handle.
    std::shared_ptr<BakkesMod::Plugin::BakkesModPlugin> plugin;
    // The services placed in the plug-in belong to it; the host only watches them.
    std::weak_ptr<CVarManagerWrapper> cvarManager;
    std::weak_ptr<GameWrapper> game;
};

// Loads and unloads plug-in modules the way the host does, giving each its own services.
class BAKKESMOD_API ModuleLoader {
public:
    ModuleLoader(ConsoleLog& log, ConsoleVariables& variables, Overlay& overlay);
    ModuleLoader(const ModuleLoader&) = delete;
    ModuleLoader& operator=(const ModuleLoader&) = delete;
    // Unloads every module still loaded, the newest first.
    ~ModuleLoader();

    // Opens the file, checks the record, creates the plug-in, places the services and calls
    // onLoad. Throws HostError naming the file and the cause, with the host as it was.
    ModuleId load(const std::filesystem::path& file);
    // The same for a module the caller has already opened (and may have looked into).
    ModuleId load(PluginModule module);

    // Calls onUnload, drops the module's drawables and variable bindings and the host's copy,
    // calls the release entry and closes the module. Throws HostError for a module that is not
    // loaded, and when the module failed on the way out (it is unloaded all the same).
    void unload(ModuleId id);
    void unloadAll() noexcept;

    const LoadedModule* find(ModuleId id) const;
    const std::vector<LoadedModule>& loaded() const { return modules_; }

private:
    ConsoleLog& log_;
    ConsoleVariables& variables_;
    Overlay& overlay_;
    std::vector<LoadedModule> modules_;
    ModuleId nextId_ = 1;
};

}  // namespace simhost
