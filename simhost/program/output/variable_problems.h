#pragma once

#include <string>

#include "simhost/services/console_variable.h"

namespace simhost {

// What the host made of a variable's registered default, in the words that check and console
// share: empty when the default was taken as it is.
std::string defaultProblem(const ConsoleVariable& variable);

}  // namespace simhost
