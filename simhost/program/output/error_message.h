#pragma once

#include <string>

#include "bakkesmod/vector2.h"
#include "simhost/host_error.h"

namespace simhost {

// The one form of every error the program reports: "simhost: FILE: what went wrong", or
// "simhost: what went wrong" for one that is about no file. Names are shown safely.
std::string errorMessage(const HostError& error);
std::string errorMessage(const std::string& cause);

// What the program says when there is no memory for a canvas of that size.
std::string canvasOutOfMemory(Vector2 size);

}  // namespace simhost
