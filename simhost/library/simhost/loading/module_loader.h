#pragma once

#include <cstddef>
#include <filesystem>
#include <functional>
#include <memory>
#include <vector>

#include "bakkesmod/bakkesmod_plugin.h"
#include "bakkesmod/cvar_manager_wrapper.h"
#include "bakkesmod/game_wrapper.h"
#include "simhost/export.h"
#include "simhost/host_error.h"
#include "simhost/loading/module_calls.h"
#include "simhost/loading/plugin_module.h"
#include "simhost/result.h"
#include "simhost/services/module_services.h"

namespace simhost {

class ConsoleLog;
class ConsoleVariables;
class Overlay;

// The two service handles the host places in a plug-in object.
struct ServiceHandles {
    std::shared_ptr<CVarManagerWrapper> cvarManager;
    std::shared_ptr<GameWrapper> game;
};

// The order in which a module leaves the host. The defaults are this host's own; the others are
// orders a host may also choose, under which a module has to keep its promises just the same.
struct UnloadOrder {
    // Call the release entry while the host still holds its copy of the plug-in, which then
    // keeps the object alive until the host drops it.
    bool releaseBeforeHostCopy = false;
    // Leave the release entry out: the module's static clean-up frees the object at close.
    bool skipReleaseEntry = false;
};

struct LoadedModule {
    ModuleId id;
    PluginModule module;
    // The host's own copy of the plug-in handle.
    std::shared_ptr<BakkesMod::Plugin::BakkesModPlugin> plugin;
    // What the module's service handles point to; shared with the handles, which the plug-in
    // object may keep beyond the unload.
    std::shared_ptr<ModuleServices> services;
};

// A module unloaded with its file kept open, and whether it left cleanly: refused with the cause
// when it failed on the way out (`module.fail` words it about the file). The file is handed back
// either way: whatever the caller still holds of the module (a handle's shared count, say) is the
// module's code and must go before the file is closed.
struct KeptModule {
    PluginModule module;
    Result<> leaving;
    // The drawables onUnload left registered, which the host then dropped itself.
    std::size_t drawablesLeft = 0;
};

// Loads and unloads plug-in modules the way the host does, giving each its own services. This is
// the one place where a module's life cycle is written: open, check the record, create, place the
// services, onLoad; then onUnload, drop what the host holds of the module, release, close.
class SIMHOST_API ModuleLoader {
public:
    using ServiceMaker = std::function<ServiceHandles(std::shared_ptr<ModuleServices>)>;

    ModuleLoader(ConsoleLog& log, ConsoleVariables& variables, Overlay& overlay);
    ModuleLoader(const ModuleLoader&) = delete;
    ModuleLoader& operator=(const ModuleLoader&) = delete;
    // Unloads every module still loaded, the newest first.
    ~ModuleLoader();

    // Makes the service handles for every module loaded from now on, for a caller that watches
    // them; handles made elsewhere must keep the services they are given alive.
    void setServiceMaker(ServiceMaker maker) { serviceMaker_ = std::move(maker); }
    // Tells `watch` of every call this loader makes into a module's code; null for none.
    void setCallWatch(ModuleCallWatch* watch) { watch_ = watch; }
    // Tells `watch` of every host operation the modules loaded from now on call through their
    // services, and of the host placing those services; null for none.
    void setServiceWatch(ServiceCallWatch* watch) { serviceWatch_ = watch; }

    // Opens the file, checks the record, creates the plug-in, places the services and calls
    // onLoad. Throws HostError naming the file and the cause, with the host as it was.
    ModuleId load(const std::filesystem::path& file);
    // The same for a module the caller has already opened (and may have looked into).
    ModuleId load(PluginModule module);

    // Calls onUnload, drops the module's drawables and variable bindings and the host's copy,
    // calls the release entry and closes the module. Returns the drawables onUnload left
    // registered. Throws HostError for a module that is not loaded, and when the module failed on
    // the way out (it is unloaded all the same).
    std::size_t unload(ModuleId id, UnloadOrder order = {});
    // The same, but the file stays open and is handed back, to be loaded again without opening
    // it anew, with the failure rather than throwing it. Throws HostError for a module that is
    // not loaded.
    KeptModule unloadKeepingFile(ModuleId id);
    // Unloads every module, the newest first. Failures on the way out are not told: a caller
    // that wants to hear them unloads each module itself.
    void unloadAll() noexcept;

    const LoadedModule* find(ModuleId id) const;
    const std::vector<LoadedModule>& loaded() const { return modules_; }

private:
    // Everything of unload but closing: the entry comes back, its module still open.
    struct TakenOut;
    TakenOut takeOut(ModuleId id, UnloadOrder order);
    std::vector<LoadedModule>::const_iterator position(ModuleId id) const;

    ConsoleLog& log_;
    ConsoleVariables& variables_;
    Overlay& overlay_;
    ServiceMaker serviceMaker_;
    ModuleCallWatch* watch_ = nullptr;
    ServiceCallWatch* serviceWatch_ = nullptr;
    std::vector<LoadedModule> modules_;
    ModuleId nextId_ = 1;
};

}  // namespace simhost
