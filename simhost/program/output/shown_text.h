#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace simhost {

// Text safe to write to a terminal: control characters and bytes that are no valid UTF-8 are
// written as \xNN, so no name or value can move the cursor or change the colours.
std::string shown(std::string_view text);

// Text a person typed, quoted so that it can be shown in a message: escaped as above, long text
// cut short.
std::string printable(std::string_view text);

// Text from a module or its output (a name, an exception's words, a last line) as one line that
// is safe to show: escaped as above, so that line ends are shown as \x0a too, and cut to at most
// `longest` bytes.
std::string oneLine(std::string_view text, std::size_t longest = 400);

}  // namespace simhost
