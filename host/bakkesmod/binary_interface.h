#pragma once

// The host's library is a release build of Microsoft Visual C++ for 32-bit x86 and passes text,
// shared handles and function wrappers by value: a module must lay them out exactly as it does.
// These checks stop a build that would compile cleanly and then corrupt every value that crosses
// the boundary.

#include <functional>
#include <memory>
#include <string>

#include "bakkesmod/canvas_wrapper.h"

#if defined(_MSC_VER) && !defined(_MSVC_STL_VERSION)
#error "build with Microsoft's STL: the host's library passes its types by value"
#endif
#if defined(_MSC_VER) && defined(_M_IX86)
// MSVC's debug default (2) adds a checking proxy to every container: std::string grows from 24
// to 28 bytes.
static_assert(
    _ITERATOR_DEBUG_LEVEL == 0,
    "build with _ITERATOR_DEBUG_LEVEL=0 in every configuration, as the host's library is");
static_assert(sizeof(std::string) == 24, "std::string does not match the host's layout");
static_assert(sizeof(std::shared_ptr<bool>) == 8, "std::shared_ptr does not match the host's");
static_assert(sizeof(std::function<void(CanvasWrapper)>) == 40,
              "std::function does not match the host's layout");
// Single-precision products in SSE registers, not in the x87 unit's wider ones, so the band's
// corners come out as the host expects.
#if !defined(_M_IX86_FP) || _M_IX86_FP != 2
#error "build with /arch:SSE2 (the default): float math must not use the x87 unit"
#endif
#endif
