#pragma once

// Linkage of the two sides of the plug-in boundary.
//
// BAKKESMOD_API marks the host library's operations: exported when the host library itself is
// built, imported by everything that links against it.
//
// BAKKESMOD_PLUGIN_API marks what a plug-in module exports to the host: the base class's members
// and the module's entry points. Only modules define BAKKESMOD_BUILDING_PLUGIN; the host sees the
// base class as a plain declaration, because it never links against a module.
//
// BAKKESMOD_ENTRY is the calling convention of the module's entry points: __cdecl, which with C
// linkage keeps their names plain and undecorated in a Windows export table (getPlugin, not
// _getPlugin@0), as the host looks them up.

#if defined(_WIN32)
#if defined(BAKKESMOD_BUILDING_HOST)
#define BAKKESMOD_API __declspec(dllexport)
#else
#define BAKKESMOD_API __declspec(dllimport)
#endif
#if defined(BAKKESMOD_BUILDING_PLUGIN)
#define BAKKESMOD_PLUGIN_API __declspec(dllexport)
#else
#define BAKKESMOD_PLUGIN_API
#endif
#define BAKKESMOD_PLUGIN_EXPORT __declspec(dllexport)
#define BAKKESMOD_ENTRY __cdecl
#else
#define BAKKESMOD_API __attribute__((visibility("default")))
#if defined(BAKKESMOD_BUILDING_PLUGIN)
#define BAKKESMOD_PLUGIN_API __attribute__((visibility("default")))
#else
#define BAKKESMOD_PLUGIN_API
#endif
#define BAKKESMOD_PLUGIN_EXPORT __attribute__((visibility("default")))
#define BAKKESMOD_ENTRY
#endif
