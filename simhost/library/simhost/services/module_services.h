#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "simhost/services/handle_bases.h"
#include "simhost/services/module_id.h"
#include "simhost/services/service_calls.h"

namespace simhost {

class ConsoleLog;
class ConsoleVariables;
class Overlay;

// The host's console and game services as one loaded module sees them: what its two service
// handles point to. Whatever the module registers through them is booked to it.
class ModuleServices : public HostModuleServices {
public:
    ModuleServices(ConsoleLog& hostLog, ConsoleVariables& hostVariables, Overlay& hostOverlay,
                   ModuleId module)
        : log(hostLog), variables(hostVariables), overlay(hostOverlay), owner(module) {}

    ConsoleLog& log;
    ConsoleVariables& variables;
    Overlay& overlay;
    const ModuleId owner;
    // Told of every call the module makes through these services; null for none.
    ServiceCallWatch* watch = nullptr;

    void told(std::string operation, std::vector<TracedValue> arguments = {},
              std::optional<TracedValue> result = std::nullopt) const {
        if (watch != nullptr) {
            watch->serviceCalled(
                {owner, std::move(operation), std::move(arguments), std::move(result)});
        }
    }
};

}  // namespace simhost
