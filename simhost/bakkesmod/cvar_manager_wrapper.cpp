#include "bakkesmod/cvar_manager_wrapper.h"

#include <optional>

#include "bakkesmod/console_log.h"
#include "bakkesmod/console_variables.h"

CVarManagerWrapper::CVarManagerWrapper(simhost::ConsoleLog& log,
                                       simhost::ConsoleVariables& variables,
                                       simhost::ModuleId owner)
    : log_(&log), variables_(&variables), owner_(owner) {}

CVarManagerWrapper::~CVarManagerWrapper() = default;

void CVarManagerWrapper::log(std::string text) {
    log_->write(std::move(text));
}

CVarWrapper CVarManagerWrapper::registerCvar(std::string name, std::string defaultValue,
                                             std::string description, bool listed, bool hasMinimum,
                                             float minimum, bool hasMaximum, float maximum,
                                             bool persistent) {
    simhost::VariableDefinition definition{
        std::move(name),
        std::move(defaultValue),
        std::move(description),
        listed,
        hasMinimum ? std::optional<float>(minimum) : std::nullopt,
        hasMaximum ? std::optional<float>(maximum) : std::nullopt,
        persistent,
    };
    return CVarWrapper(variables_->define(std::move(definition), owner_), owner_);
}
