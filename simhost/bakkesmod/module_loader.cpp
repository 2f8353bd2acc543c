#include "bakkesmod/module_loader.h"

#include <algorithm>
#include <optional>
#include <string>
#include <system_error>
#include <utility>

#include "bakkesmod/console_log.h"
#include "bakkesmod/console_variables.h"
#include "bakkesmod/host_error.h"
#include "bakkesmod/overlay.h"

namespace simhost {

ModuleLoader::ModuleLoader(ConsoleLog& log, ConsoleVariables& variables, Overlay& overlay)
    : log_(log), variables_(variables), overlay_(overlay) {}

ModuleLoader::~ModuleLoader() {
    unloadAll();
}

ModuleId ModuleLoader::load(const std::filesystem::path& file) {
    try {
        return load(PluginModule(file));
    } catch (const HostError&) {
        throw;
    } catch (...) {
        // Out of memory on the host's side of the load, say: still the loader's error.
        throw HostError(file, "loading failed: " + describe(std::current_exception()));
    }
}

ModuleId ModuleLoader::load(PluginModule module) {
    // The system loader hands out one instance per file, whatever path named it: a second load
    // would reach the plug-in object that is already running.
    const bool alreadyLoaded = std::any_of(
        modules_.begin(), modules_.end(),
        [&module](const LoadedModule& entry) { return entry.module.sameModuleAs(module); });
    if (alreadyLoaded) {
        throw module.fail("is already loaded");
    }
    std::shared_ptr<BakkesMod::Plugin::BakkesModPlugin> plugin;
    try {
        plugin = module.create();
    } catch (const HostError&) {
        throw;
    } catch (...) {
        throw module.fail("loading failed: " + describe(std::current_exception()));
    }

    const ModuleId id = nextId_;
    std::string failure;
    try {
        auto cvarManager = std::make_shared<CVarManagerWrapper>(log_, variables_, id);
        auto game = std::make_shared<GameWrapper>(overlay_, id);
        plugin->cvarManagerPtr = cvarManager;
        plugin->gameWrapperPtr = game;
        modules_.reserve(modules_.size() + 1);
        plugin->onLoad();
        modules_.push_back({id, std::move(module), std::move(plugin), cvarManager, game});
        ++nextId_;
        return id;
    } catch (...) {
        failure = describe(std::current_exception());
    }
    // Undo what the module did to the host before its code goes away.
    overlay_.removeAll(id);
    variables_.unbindAll(id);
    variables_.removeCreatedBy(id);
    plugin.reset();
    try {
        module.release();
    } catch (const HostError&) {
        // The load failure is the one to report.
    }
    module.close();
    throw module.fail("loading the plug-in failed: " + failure);
}

void ModuleLoader::unload(ModuleId id) {
    const auto found = std::find_if(modules_.begin(), modules_.end(),
                                    [id](const LoadedModule& entry) { return entry.id == id; });
    if (found == modules_.end()) {
        throw HostError("no module with id " + std::to_string(id) + " is loaded");
    }
    LoadedModule entry = std::move(*found);
    modules_.erase(found);

    std::optional<HostError> failure;
    try {
        entry.plugin->onUnload();
    } catch (...) {
        failure = entry.module.fail("onUnload failed: " + describe(std::current_exception()));
    }
    // Drawables and bound booleans are the module's code and memory: gone before it closes.
    overlay_.removeAll(id);
    variables_.unbindAll(id);
    entry.plugin.reset();
    try {
        entry.module.release();
    } catch (const HostError& error) {
        if (!failure) {
            failure = error;
        }
    }
    entry.module.close();
    if (failure) {
        throw *failure;
    }
}

void ModuleLoader::unloadAll() noexcept {
    while (!modules_.empty()) {
        try {
            unload(modules_.back().id);
        } catch (const HostError& error) {
            log_.write(error.what());
        }
    }
}

const LoadedModule* ModuleLoader::find(ModuleId id) const {
    const auto found = std::find_if(modules_.begin(), modules_.end(),
                                    [id](const LoadedModule& entry) { return entry.id == id; });
    return found == modules_.end() ? nullptr : &*found;
}

}  // namespace simhost
