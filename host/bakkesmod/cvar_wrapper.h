#pragma once

#include <memory>

#include "bakkesmod/api.h"
#include "bakkesmod/host_handles.h"

// A handle to one registered console variable, given out by the console-variable manager.
class BAKKESMOD_API CVarWrapper {
public:
    CVarWrapper(HostConsoleVariable& variable, HostModuleServices& services);
    CVarWrapper(const CVarWrapper& other);
    CVarWrapper& operator=(const CVarWrapper& other);
    ~CVarWrapper();

    // The host keeps a share of the boolean and sets it to the variable's value (non-zero is
    // true): at once, and again on every change.
    void bindTo(std::shared_ptr<bool> target);

private:
    HostConsoleVariable* variable_;
    HostModuleServices* services_;  // of the module that holds this handle
};
