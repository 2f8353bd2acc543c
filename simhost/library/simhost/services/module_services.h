#pragma once

#include "simhost/services/handle_bases.h"
#include "simhost/services/module_id.h"

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
};

}  // namespace simhost
