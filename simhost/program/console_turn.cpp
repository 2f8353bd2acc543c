#include "program/console_turn.h"

#include <ostream>

#include "program/error_message.h"

namespace simhost {

ConsoleRead nextRead(ConsoleInput& input) {
    ConsoleRead read{input.next(), {}, {}};
    if (read.status == ConsoleInput::Status::Line) {
        read.line = input.line();
    }
    read.readError = input.readError();
    return read;
}

Turn takeTurn(Console& console, const ConsoleRead& read, long long lineNumber, std::ostream& err) {
    switch (read.status) {
        case ConsoleInput::Status::Line:
            return console.run(read.line) == Console::Outcome::Quit ? Turn::Quit : Turn::Continue;
        case ConsoleInput::Status::TooLong:
            err << errorMessage("console line " + std::to_string(lineNumber) + " is longer than " +
                                std::to_string(ConsoleInput::kMaxLine) + " bytes; it was skipped")
                << '\n';
            return Turn::Continue;
        case ConsoleInput::Status::End:
            return Turn::End;
        case ConsoleInput::Status::ReadError:
            err << errorMessage("cannot read standard input: " + read.readError) << '\n';
            return Turn::Failed;
    }
    return Turn::Failed;
}

bool consoleLogLost(std::ostream& out, std::ostream& err) {
    if (out.flush()) {
        return false;
    }
    // Told once, however many steps find it lost: the stream itself remembers.
    static const int told = std::ios_base::xalloc();
    if (out.iword(told) == 0) {
        out.iword(told) = 1;
        err << errorMessage("cannot write the console log to standard output") << '\n';
    }
    return true;
}

}  // namespace simhost
