#include "program/live/watch_session.h"

#include <ostream>

#include "program/ending_signals.h"
#include "program/live/console_lines.h"
#include "program/live/module_watch.h"

namespace simhost {

namespace {

// How often the file is looked at while nobody types; with the watch's settling time this
// keeps a rebuilt module within a quarter of a second.
constexpr std::chrono::milliseconds kLookEvery{25};

}  // namespace

int watchSession(Console& console, std::istream& in, std::ostream& out, std::ostream& err,
                 bool inIsTerminal) {
    ModuleWatch watch(console, FileWatch::Clock::now());
    ConsoleLines lines(in);
    long long lineNumber = 0;
    for (bool prompt = inIsTerminal;;) {
        if (prompt) {
            err << "] " << std::flush;
            prompt = false;
        }
        const auto read = lines.next(kLookEvery);
        if (EndingSignals::received() != 0) {
            return 1;
        }
        watch.poll(FileWatch::Clock::now());
        if (read) {
            switch (takeTurn(console, *read, ++lineNumber, err)) {
                case Turn::Quit:
                case Turn::End:
                    return consoleLogLost(out, err) ? 1 : 0;
                case Turn::Failed:
                    return 1;
                case Turn::Continue:
                    prompt = inIsTerminal;
                    break;
            }
        }
        if (consoleLogLost(out, err)) {
            return 1;
        }
    }
}

}  // namespace simhost
