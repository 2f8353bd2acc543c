#pragma once

#include <string>

#include "simhost/host_error.h"

namespace simhost {

// The one form of every error the program reports: "simhost: FILE: what went wrong", or
// "simhost: what went wrong" for one that is about no file. Names are shown safely.
std::string errorMessage(const HostError& error);
std::string errorMessage(const std::string& cause);

}  // namespace simhost
