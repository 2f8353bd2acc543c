#pragma once

#include "bakkesmod/host_handles.h"

// What this host keeps behind the door's opaque handles: empty bases of the classes that do the
// work (Canvas, ConsoleVariable, ModuleServices), to which the door's operations cast back.
struct HostCanvas {};
struct HostConsoleVariable {};
struct HostModuleServices {};
