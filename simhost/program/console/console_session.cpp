#include "program/console/console_session.h"

#include <ostream>

#include "program/output/error_message.h"
#include "program/process/ending_signals.h"
#include "program/process/exit_status.h"

namespace simhost {

ConsoleSession::ConsoleSession(Console& console, std::istream& in, std::ostream& out,
                               std::ostream& err, bool inIsTerminal, AtInputEnd atInputEnd)
    : console_(console),
      out_(out),
      err_(err),
      inIsTerminal_(inIsTerminal),
      atInputEnd_(atInputEnd),
      lines_(in) {
    prompt();
}

std::optional<int> ConsoleSession::turns(std::optional<std::chrono::milliseconds> wait) {
    while (inputOpen_) {
        const auto read = lines_.next(wait);
        if (!read) {
            break;
        }
        wait = std::chrono::milliseconds(0);  // the rest of what came meanwhile, without waiting
        switch (read->status) {
            case ConsoleInput::Status::Line:
                ++lineNumber_;
                if (console_.run(read->line) == Console::Ran::Quit) {
                    return status();
                }
                break;
            case ConsoleInput::Status::TooLong:
                ++lineNumber_;
                err_ << errorMessage("console line " + std::to_string(lineNumber_) +
                                     " is longer than " + std::to_string(ConsoleInput::kMaxLine) +
                                     " bytes; it was skipped")
                     << '\n';
                break;
            case ConsoleInput::Status::End:
                inputOpen_ = false;
                if (atInputEnd_ == AtInputEnd::EndSession) {
                    return status();
                }
                continue;
            case ConsoleInput::Status::ReadError:
                err_ << errorMessage("cannot read standard input: " + read->readError) << '\n';
                inputOpen_ = false;
                readFailed_ = true;
                if (atInputEnd_ == AtInputEnd::EndSession) {
                    return kRunFailure;
                }
                continue;
        }
        if (consoleLogLost(out_, err_)) {
            return kRunFailure;
        }
        prompt();
    }
    if (consoleLogLost(out_, err_)) {
        return kRunFailure;
    }
    return std::nullopt;
}

int ConsoleSession::status() {
    return consoleLogLost(out_, err_) || readFailed_ ? kRunFailure : kSuccess;
}

void ConsoleSession::prompt() {
    if (inIsTerminal_ && inputOpen_) {
        err_ << "] " << std::flush;
    }
}

int pump(ConsoleSession& session, std::span<BetweenTurns* const> between,
         std::optional<std::chrono::milliseconds> every) {
    for (;;) {
        if (const auto end = session.turns(every)) {
            return *end;
        }
        if (EndingSignals::received() != 0) {
            return kRunFailure;  // the program ends as the request asks, once unwound
        }
        for (BetweenTurns* other : between) {
            if (const auto end = other->look()) {
                return *end;
            }
        }
    }
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
