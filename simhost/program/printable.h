#pragma once

#include <string>
#include <string_view>

#include "bakkesmod/api.h"

namespace simhost {

// Text safe to write to a terminal: control characters and bytes that are no valid UTF-8 are
// written as \xNN, so no name or value can move the cursor or change the colours.
BAKKESMOD_API std::string shown(std::string_view text);

// Text a person typed, quoted so that it can be shown in a message: escaped as above, long text
// cut short.
BAKKESMOD_API std::string printable(std::string_view text);

}  // namespace simhost
