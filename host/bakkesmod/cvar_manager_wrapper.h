#pragma once

#include <string>

#include "bakkesmod/api.h"
#include "bakkesmod/cvar_wrapper.h"
#include "bakkesmod/host_handles.h"

// The host's console as one module sees it: its log and its variables.
class BAKKESMOD_API CVarManagerWrapper {
public:
    explicit CVarManagerWrapper(HostModuleServices& services);
    CVarManagerWrapper(const CVarManagerWrapper&) = delete;
    CVarManagerWrapper& operator=(const CVarManagerWrapper&) = delete;
    ~CVarManagerWrapper();

    // Writes the text as one line of the console log.
    void log(std::string text);

    // Creates the variable, or hands out the one already registered under that name. `listed`
    // shows it in the variable list; `persistent` marks it as a player setting.
    CVarWrapper registerCvar(std::string name, std::string defaultValue, std::string description,
                             bool listed, bool hasMinimum, float minimum, bool hasMaximum,
                             float maximum, bool persistent);

private:
    HostModuleServices* services_;
};
