#include "bakkesmod/cvar_manager_wrapper.h"

#include <optional>

#include "simhost/door/handle_casts.h"
#include "simhost/services/console_log.h"
#include "simhost/services/console_variables.h"

using simhost::servicesOf;

CVarManagerWrapper::CVarManagerWrapper(HostModuleServices& services) : services_(&services) {}

CVarManagerWrapper::~CVarManagerWrapper() = default;

void CVarManagerWrapper::log(std::string text) {
    const simhost::ModuleServices& services = servicesOf(services_);
    services.told("log", {{text, true}});
    services.log.write(std::move(text));
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
    simhost::ModuleServices& services = servicesOf(services_);
    if (services.watch != nullptr) {
        const auto number = [](bool has, float value) {
            return simhost::TracedValue{has ? simhost::formatNumber(value) : "none", false};
        };
        services.told("registerCvar",
                      {{definition.name, true},
                       {definition.defaultValue, true},
                       {definition.description, true},
                       {listed ? "true" : "false", false},
                       number(hasMinimum, minimum),
                       number(hasMaximum, maximum),
                       {persistent ? "true" : "false", false}},
                      simhost::TracedValue{definition.name, true});
    }
    return CVarWrapper(services.variables.define(std::move(definition), services.owner), services);
}
