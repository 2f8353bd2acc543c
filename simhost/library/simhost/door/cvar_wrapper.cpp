#include "bakkesmod/cvar_wrapper.h"

#include "simhost/door/handle_casts.h"

CVarWrapper::CVarWrapper(HostConsoleVariable& variable, HostModuleServices& services)
    : variable_(&variable), services_(&services) {}

CVarWrapper::CVarWrapper(const CVarWrapper& other) = default;
CVarWrapper& CVarWrapper::operator=(const CVarWrapper& other) = default;
CVarWrapper::~CVarWrapper() = default;

void CVarWrapper::bindTo(std::shared_ptr<bool> target) {
    simhost::ConsoleVariable& variable = simhost::variableOf(variable_);
    const simhost::ModuleServices& services = simhost::servicesOf(services_);
    services.told("bindTo", {{variable.name(), true}});
    variable.bind(services.owner, std::move(target));
}
