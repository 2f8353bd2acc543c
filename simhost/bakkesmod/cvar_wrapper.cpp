#include "bakkesmod/cvar_wrapper.h"

#include "bakkesmod/console_variable.h"

CVarWrapper::CVarWrapper(simhost::ConsoleVariable& variable, simhost::ModuleId owner)
    : variable_(&variable), owner_(owner) {}

CVarWrapper::CVarWrapper(const CVarWrapper& other) = default;
CVarWrapper& CVarWrapper::operator=(const CVarWrapper& other) = default;
CVarWrapper::~CVarWrapper() = default;

void CVarWrapper::bindTo(std::shared_ptr<bool> target) {
    variable_->bind(owner_, std::move(target));
}
