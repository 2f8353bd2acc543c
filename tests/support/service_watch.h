#pragma once

#include <memory>
#include <string>
#include <vector>

#include "bakkesmod/cvar_manager_wrapper.h"
#include "bakkesmod/game_wrapper.h"
#include "simhost/loading/module_loader.h"

// Service handles whose release can be watched: each records its name when its last share goes,
// together with whether the watched switch was already gone by then. The switch's shared count
// lives in the module's code, so the watch ends with the last service handle, before the module
// can be closed.
class ServiceWatch {
public:
    simhost::ModuleLoader::ServiceMaker maker() {
        return [this](std::shared_ptr<simhost::ModuleServices> services) {
            simhost::ModuleServices& target = *services;
            return simhost::ServiceHandles{
                {new CVarManagerWrapper(target),
                 [this, services](CVarManagerWrapper* gone) {
                     delete gone;
                     note("cvarManager");
                     watchedSwitch_.reset();
                     watching_ = false;
                 }},
                {new GameWrapper(target), [this, services](GameWrapper* gone) {
                     delete gone;
                     note("game");
                 }}};
        };
    }

    void watch(std::weak_ptr<bool> coverSwitch) {
        watchedSwitch_ = std::move(coverSwitch);
        watching_ = true;
    }

    std::vector<std::string> released;

private:
    void note(const std::string& name) {
        if (!watching_) {
            released.push_back(name);
        } else {
            released.push_back(name +
                               (watchedSwitch_.expired() ? " (switch gone)" : " (switch held)"));
        }
    }

    std::weak_ptr<bool> watchedSwitch_;
    bool watching_ = false;
};
