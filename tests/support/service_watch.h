#pragma once

#include <memory>
#include <string>
#include <vector>

#include "bakkesmod/console_log.h"
#include "bakkesmod/console_variables.h"
#include "bakkesmod/cvar_manager_wrapper.h"
#include "bakkesmod/game_wrapper.h"
#include "bakkesmod/overlay.h"

// Host services whose release can be watched: each records its name when its last share goes,
// together with whether the watched switch was already gone by then. The switch's shared count
// lives in the module's code: stop watching before the module is closed.
class ServiceWatch {
public:
    static constexpr simhost::ModuleId kOwner = 1;

    std::shared_ptr<CVarManagerWrapper> cvarManager() {
        return {new CVarManagerWrapper(log, variables, kOwner), [this](CVarManagerWrapper* gone) {
                    delete gone;
                    note("cvarManager");
                }};
    }
    std::shared_ptr<GameWrapper> game() {
        return {new GameWrapper(overlay, kOwner), [this](GameWrapper* gone) {
                    delete gone;
                    note("game");
                }};
    }

    simhost::ConsoleLog log;
    simhost::ConsoleVariables variables;
    simhost::Overlay overlay;
    void watch(std::weak_ptr<bool> coverSwitch) {
        watchedSwitch = std::move(coverSwitch);
        watching = true;
    }
    void stopWatching() {
        watchedSwitch.reset();
        watching = false;
    }

    std::weak_ptr<bool> watchedSwitch;
    bool watching = false;
    std::vector<std::string> released;

private:
    void note(const std::string& name) {
        if (!watching) {
            released.push_back(name);
        } else {
            released.push_back(name +
                               (watchedSwitch.expired() ? " (switch gone)" : " (switch held)"));
        }
    }
};
