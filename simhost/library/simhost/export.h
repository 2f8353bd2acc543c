#pragma once

#include "bakkesmod/api.h"

// What the host's own programs use of the library beyond the door: its services, its loader and
// the host as a whole. Exported from the library exactly as the door's operations are; plug-ins
// see neither this header nor what it marks.
#define SIMHOST_API BAKKESMOD_API
