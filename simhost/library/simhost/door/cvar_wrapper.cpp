#include "bakkesmod/cvar_wrapper.h"

#include "simhost/services/console_variable.h"
#include "simhost/services/module_services.h"

CVarWrapper::CVarWrapper(HostConsoleVariable& variable, HostModuleServices& services)
    : variable_(&variable), services_(&services) {}

CVarWrapper::CVarWrapper(const CVarWrapper& other) = default;
CVarWrapper& CVarWrapper::operator=(const CVarWrapper& other) = default;
CVarWrapper::~CVarWrapper() = default;

void CVarWrapper::bindTo(std::shared_ptr<bool> target) {
    static_cast<simhost::ConsoleVariable&>(*variable_)
        .bind(static_cast<simhost::ModuleServices&>(*services_).owner, std::move(target));
}
