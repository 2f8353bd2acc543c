#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace simhost {

// A console line taken apart: its commands, each a list of words, none of them empty.
struct SplitLine {
    std::vector<std::vector<std::string>> commands;
    // The column (from 1) of a double quote that is never closed; 0 when the quotes balance. Such
    // a line is not run: what the player meant is unclear.
    std::size_t unclosedQuoteColumn = 0;
};

// Splits a console line into commands at ';' and each command into words at blanks. Double
// quotes group words and are dropped: `cl_example "1"` sets the value 1. Outside quotes, //
// starts a comment that runs to the end of the line. Memory grows with the words, not with the
// separators between them.
SplitLine splitCommands(std::string_view line);

// Whether a word typed without quotes reads back as itself: it is not empty and holds no blank,
// ';', double quote or '/'.
bool typedAsItIs(std::string_view word);

}  // namespace simhost
