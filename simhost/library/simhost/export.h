#pragma once

// What the host's own programs use of the library beyond the door: its services, its loader and
// the host as a whole. Exported from the library beside the door's operations (BAKKESMOD_API);
// plug-ins see neither this header nor what it marks.
#if defined(_WIN32)
#if defined(BAKKESMOD_BUILDING_HOST)
#define SIMHOST_API __declspec(dllexport)
#else
#define SIMHOST_API __declspec(dllimport)
#endif
#else
#define SIMHOST_API __attribute__((visibility("default")))
#endif
