#pragma once

#include <iosfwd>
#include <string>
#include <string_view>

#include "program/console.h"
#include "program/console_input.h"

namespace simhost {

// One read from the console's input, and what it asks of the session.
struct ConsoleRead {
    ConsoleInput::Status status = ConsoleInput::Status::End;
    std::string line;
    std::string readError;
};

// The next read from `input`, kept apart from it.
ConsoleRead nextRead(ConsoleInput& input);

enum class Turn { Continue, Quit, End, Failed };

// Runs a line read as console line `lineNumber`, or tells `err` what went wrong with reading it.
// Failed when the input cannot be read; a command that fails is the player's to see, not the end.
Turn takeTurn(Console& console, const ConsoleRead& read, long long lineNumber, std::ostream& err);

// Flushes the console log; true, with `err` told the first time, when it could not be written.
// The console log is the program's output: losing it is a failure, not a detail.
bool consoleLogLost(std::ostream& out, std::ostream& err);

}  // namespace simhost
