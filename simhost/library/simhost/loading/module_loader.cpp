#include "simhost/loading/module_loader.h"

#include <algorithm>
#include <string>
#include <string_view>
#include <utility>

#include "simhost/services/console_log.h"
#include "simhost/services/console_variables.h"
#include "simhost/services/overlay.h"

namespace simhost {

namespace {

// Handles that keep the services they point to alive for as long as the plug-in keeps them.
ServiceHandles plainHandles(std::shared_ptr<ModuleServices> services) {
    ModuleServices& target = *services;
    return {
        std::shared_ptr<CVarManagerWrapper>(new CVarManagerWrapper(target),
                                            [services](CVarManagerWrapper* gone) { delete gone; }),
        std::shared_ptr<GameWrapper>(new GameWrapper(target),
                                     [services](GameWrapper* gone) { delete gone; })};
}

}  // namespace

ModuleLoader::ModuleLoader(ConsoleLog& log, ConsoleVariables& variables, Overlay& overlay)
    : log_(log), variables_(variables), overlay_(overlay), serviceMaker_(plainHandles) {}

ModuleLoader::~ModuleLoader() {
    unloadAll();
}

ModuleId ModuleLoader::load(const std::filesystem::path& file) {
    // Out of memory on the host's side of the load, say: still the loader's error.
    return asHostError(file, "loading", [&] {
        return load(watched(watch_, ModuleCall::Open, [&] { return PluginModule(file); }));
    });
}

ModuleId ModuleLoader::load(PluginModule module) {
    // The system loader hands out one instance per file, whatever path named it: a second load
    // would reach the plug-in object that is already running.
    if (std::any_of(modules_.begin(), modules_.end(), [&module](const LoadedModule& entry) {
            return entry.module.sameModuleAs(module);
        })) {
        throw module.fail("is already loaded");
    }
    std::shared_ptr<BakkesMod::Plugin::BakkesModPlugin> plugin;
    try {
        plugin = watched(watch_, ModuleCall::Create, [&] {
            return asHostError(module.file(), "loading", [&] { return module.create(); });
        });
    } catch (const HostError&) {
        watched(watch_, ModuleCall::Close, [&] { module.close(); });
        throw;
    }

    const ModuleId id = nextId_;
    std::shared_ptr<ModuleServices> services;
    std::string failure;
    // Whose failure it is: the host's own steps, or the plug-in's onLoad.
    std::string_view during;
    try {
        services = std::make_shared<ModuleServices>(log_, variables_, overlay_, id);
        services->watch = serviceWatch_;
        ServiceHandles handles = serviceMaker_(services);
        plugin->cvarManagerPtr = std::move(handles.cvarManager);
        plugin->gameWrapperPtr = std::move(handles.game);
        services->told("place services", {{"cvarManagerPtr", false}, {"gameWrapperPtr", false}});
        modules_.reserve(modules_.size() + 1);
        during = "onLoad threw: ";
        watched(watch_, ModuleCall::OnLoad, [&] { plugin->onLoad(); });
        during = {};
        modules_.push_back({id, std::move(module), std::move(plugin), std::move(services)});
        ++nextId_;
        return id;
    } catch (...) {
        failure = std::string(during) + describe(std::current_exception());
    }
    // Undo what the module did to the host before its code goes away.
    overlay_.removeAll(id);
    variables_.unbindAll(id);
    variables_.removeCreatedBy(id);
    plugin.reset();
    try {
        watched(watch_, ModuleCall::Release, [&] { module.release(); });
    } catch (const HostError&) {
        // The load failure is the one to report.
    }
    watched(watch_, ModuleCall::Close, [&] { module.close(); });
    throw module.fail("loading the plug-in failed: " + failure);
}

struct ModuleLoader::TakenOut {
    LoadedModule entry;
    Result<> leaving;
    std::size_t drawablesLeft = 0;
};

ModuleLoader::TakenOut ModuleLoader::takeOut(ModuleId id, UnloadOrder order) {
    const auto found = position(id);
    if (found == modules_.end()) {
        throw HostError("no module with id " + std::to_string(id) + " is loaded");
    }
    TakenOut out{std::move(modules_[static_cast<std::size_t>(found - modules_.begin())]), {}};
    LoadedModule& entry = out.entry;
    modules_.erase(found);

    try {
        watched(watch_, ModuleCall::OnUnload, [&] { entry.plugin->onUnload(); });
    } catch (...) {
        out.leaving = refuse("onUnload failed: " + describe(std::current_exception()));
    }
    // Drawables and bound booleans are the module's code and memory: gone before it closes.
    out.drawablesLeft = overlay_.count(id);
    overlay_.removeAll(id);
    variables_.unbindAll(id);
    variables_.orphanCreatedBy(id);
    if (!order.releaseBeforeHostCopy) {
        entry.plugin.reset();
    }
    if (!order.skipReleaseEntry) {
        try {
            watched(watch_, ModuleCall::Release, [&] { entry.module.release(); });
        } catch (const HostError& error) {
            if (out.leaving) {
                out.leaving = refuse(error.cause());
            }
        }
    }
    entry.plugin.reset();
    return out;
}

std::size_t ModuleLoader::unload(ModuleId id, UnloadOrder order) {
    TakenOut out = takeOut(id, order);
    watched(watch_, ModuleCall::Close, [&] { out.entry.module.close(); });
    if (!out.leaving) {
        throw out.entry.module.fail(out.leaving.reason());
    }
    return out.drawablesLeft;
}

KeptModule ModuleLoader::unloadKeepingFile(ModuleId id) {
    TakenOut out = takeOut(id, {});
    return {std::move(out.entry.module), std::move(out.leaving), out.drawablesLeft};
}

void ModuleLoader::unloadAll() noexcept {
    while (!modules_.empty()) {
        try {
            unload(modules_.back().id);
        } catch (const HostError&) {
            // Unloaded all the same; told to whoever unloads modules one by one.
        }
    }
}

const LoadedModule* ModuleLoader::find(ModuleId id) const {
    const auto found = position(id);
    return found == modules_.end() ? nullptr : &*found;
}

std::vector<LoadedModule>::const_iterator ModuleLoader::position(ModuleId id) const {
    return std::find_if(modules_.begin(), modules_.end(),
                        [id](const LoadedModule& entry) { return entry.id == id; });
}

}  // namespace simhost
