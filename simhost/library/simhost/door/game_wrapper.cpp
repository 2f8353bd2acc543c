#include "bakkesmod/game_wrapper.h"

#include "simhost/door/handle_casts.h"
#include "simhost/services/overlay.h"

using simhost::servicesOf;

GameWrapper::GameWrapper(HostModuleServices& services) : services_(&services) {}

GameWrapper::~GameWrapper() = default;

void GameWrapper::RegisterDrawable(std::function<void(CanvasWrapper)> drawable) {
    simhost::ModuleServices& services = servicesOf(services_);
    services.told("RegisterDrawable");
    services.overlay.add(services.owner, std::move(drawable));
}

void GameWrapper::UnregisterDrawables() {
    simhost::ModuleServices& services = servicesOf(services_);
    services.told("UnregisterDrawables");
    services.overlay.removeAll(services.owner);
}
