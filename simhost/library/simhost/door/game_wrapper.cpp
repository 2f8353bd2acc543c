#include "bakkesmod/game_wrapper.h"

#include "simhost/services/module_services.h"
#include "simhost/services/overlay.h"

namespace {

simhost::ModuleServices& servicesOf(HostModuleServices* services) {
    return static_cast<simhost::ModuleServices&>(*services);
}

}  // namespace

GameWrapper::GameWrapper(HostModuleServices& services) : services_(&services) {}

GameWrapper::~GameWrapper() = default;

void GameWrapper::RegisterDrawable(std::function<void(CanvasWrapper)> drawable) {
    simhost::ModuleServices& services = servicesOf(services_);
    services.overlay.add(services.owner, std::move(drawable));
}

void GameWrapper::UnregisterDrawables() {
    simhost::ModuleServices& services = servicesOf(services_);
    services.overlay.removeAll(services.owner);
}
