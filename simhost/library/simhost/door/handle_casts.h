#pragma once

#include "simhost/services/console_variable.h"
#include "simhost/services/handle_bases.h"
#include "simhost/services/module_services.h"

// From the door's opaque handles back to what this host keeps behind them.
namespace simhost {

inline ConsoleVariable& variableOf(HostConsoleVariable* variable) {
    return static_cast<ConsoleVariable&>(*variable);
}

inline ModuleServices& servicesOf(HostModuleServices* services) {
    return static_cast<ModuleServices&>(*services);
}

}  // namespace simhost
