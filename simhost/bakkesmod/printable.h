#pragma once

#include <string>
#include <string_view>

#include "bakkesmod/api.h"

namespace simhost {

// Text a person typed, quoted so that it can be shown in a message: control bytes escaped, long
// text cut short.
BAKKESMOD_API std::string printable(std::string_view text);

}  // namespace simhost
