#pragma once

#include <chrono>
#include <iosfwd>
#include <optional>
#include <span>

#include "program/console/console.h"
#include "program/console/console_lines.h"

namespace simhost {

// The console as a session with a person typing. One object owns what every kind of session
// shares: the prompt, the line count, what a turn means for the session's end, and whether the
// console log still gets written. The console is read on a thread of its own, so that whatever
// pumps the session can look at other things between turns (the module watch, the window).
class ConsoleSession {
public:
    // Whether the end of the input ends the session, or only the reading (a window stays open).
    enum class AtInputEnd { EndSession, GoOn };

    ConsoleSession(Console& console, std::istream& in, std::ostream& out, std::ostream& err,
                   bool inIsTerminal, AtInputEnd atInputEnd);

    // Runs what was typed, waiting for the first line at most `wait` (no limit when none is
    // given). The exit status when the session is over: at "quit", at the end of the input when
    // that ends it, at a failed read, or when the console log is lost.
    std::optional<int> turns(std::optional<std::chrono::milliseconds> wait);
    // The exit status for a session that ends now: a failure if reading failed on the way or the
    // log could not be written.
    int status();

    Console& console() { return console_; }

private:
    void prompt();

    Console& console_;
    std::ostream& out_;
    std::ostream& err_;
    bool inIsTerminal_;
    AtInputEnd atInputEnd_;
    long long lineNumber_ = 0;
    bool inputOpen_ = true;
    bool readFailed_ = false;
    // Declared last: the reader goes first.
    ConsoleLines lines_;
};

// Something a session looks at between two turns: the module watch, the window.
class BetweenTurns {
public:
    // The exit status when it ends the session.
    virtual std::optional<int> look() = 0;

protected:
    BetweenTurns() = default;
    BetweenTurns(const BetweenTurns&) = default;
    BetweenTurns& operator=(const BetweenTurns&) = default;
    ~BetweenTurns() = default;
};

// Runs the session until it ends itself, one of `between` ends it, or a request to end arrives
// (EndingSignals); waits for input at most `every` between two looks (no limit when none is
// given, for a session that looks at nothing else). Returns the exit status.
int pump(ConsoleSession& session, std::span<BetweenTurns* const> between,
         std::optional<std::chrono::milliseconds> every);

// Flushes the console log; true, with `err` told the first time, when it could not be written.
// The console log is the program's output: losing it is a failure, not a detail.
bool consoleLogLost(std::ostream& out, std::ostream& err);

}  // namespace simhost
