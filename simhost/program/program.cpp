#include "program/program.h"

#include <exception>
#include <iostream>
#include <istream>
#include <new>
#include <optional>
#include <ostream>

#include "program/check/check_command.h"
#include "program/console.h"
#include "program/console_input.h"
#include "program/console_turn.h"
#include "program/ending_signals.h"
#include "program/error_message.h"
#include "program/exit_guard.h"
#include "program/live/watch_session.h"
#include "program/live/window.h"
#include "program/options.h"
#include "program/scene.h"
#include "program/screenshot.h"
#include "simhost/host.h"
#include "simhost/host_error.h"
#include "simhost/loading/private_copies.h"

namespace simhost {

namespace {

constexpr int kSuccess = 0;
constexpr int kRunFailure = 1;
constexpr int kUsageError = 2;

int interactiveSession(Console& console, std::istream& in, std::ostream& out, std::ostream& err,
                       bool inIsTerminal) {
    ConsoleInput input(in);
    for (long long lineNumber = 1;; ++lineNumber) {
        if (inIsTerminal) {
            err << "] " << std::flush;
        }
        switch (takeTurn(console, nextRead(input), lineNumber, err)) {
            case Turn::Quit:
            case Turn::End:
                return kSuccess;
            case Turn::Failed:
                return kRunFailure;
            case Turn::Continue:
                break;
        }
        if (consoleLogLost(out, err)) {
            return kRunFailure;
        }
    }
}

// Everything after the module is loaded: the commands, the frames, the screenshot, the session.
int session(const Options& options, Host& host, Console& console, std::istream& in,
            std::ostream& out, std::ostream& err, bool inIsTerminal) {
    int status = kSuccess;
    bool quit = false;
    for (const std::string& command : options.commands) {
        const Console::Outcome outcome = console.run(command);
        if (outcome == Console::Outcome::Quit) {
            quit = true;  // no more console input; the frames and the picture asked for follow
            break;
        }
        if (outcome == Console::Outcome::Failed) {
            status = kRunFailure;
        }
    }

    if (options.window) {
        if (quit) {
            return status;
        }
        WindowRun window;
        if (options.framesGiven) {
            window.frames = options.frames;
        }
        window.watch = options.watch;
        window.screenshot = options.screenshot;
        window.inIsTerminal = inIsTerminal;
        const int windowStatus = runWindow(host, console, window, in, out, err);
        return windowStatus != kSuccess ? windowStatus : status;
    }

    try {
        for (long long frame = 0; frame < options.frames; ++frame) {
            host.draw();
        }
        if (options.screenshot) {
            writeScreenshot(host.canvas(), *options.screenshot);
        }
    } catch (const HostError& error) {
        err << errorMessage(error) << '\n';
        return kRunFailure;
    } catch (...) {
        err << errorMessage(describe(std::current_exception())) << '\n';
        return kRunFailure;
    }
    if (consoleLogLost(out, err)) {
        return kRunFailure;
    }

    if (options.interactive && !quit) {
        const int sessionStatus = options.watch
                                      ? watchSession(console, in, out, err, inIsTerminal)
                                      : interactiveSession(console, in, out, err, inIsTerminal);
        if (sessionStatus != kSuccess) {
            return kRunFailure;
        }
    }
    return status;
}

int run(Options options, std::istream& in, std::ostream& out, std::ostream& err,
        bool inIsTerminal) {
    // Once, before any module code runs: a plug-in may change the working directory.
    if (options.screenshot) {
        options.screenshot = std::filesystem::absolute(*options.screenshot);
    }
    const bool live = options.window || options.watch;
    // Outlives the host, which unloads the copies it loaded.
    std::optional<PrivateCopies> copies;
    // A live session ends by a request or by exit() only with the copies removed.
    std::optional<EndingSignals> signals;
    std::optional<ExitGuard> guard;
    if (live) {
        try {
            copies.emplace();
        } catch (const HostError& error) {
            err << errorMessage(error) << '\n';
            return kRunFailure;
        }
        signals.emplace();
        guard.emplace("the session ended by a call to exit() before it was over",
                      [&copies] { copies->removeAll(); });
    }
    std::optional<Host> host;
    try {
        host.emplace(options.size);
    } catch (const std::bad_alloc&) {
        err << errorMessage(canvasOutOfMemory(options.size)) << '\n';
        return kRunFailure;
    }
    host->log().setEcho(&out);
    host->setScene(paintScene);
    Console console(*host, options.module, err);
    if (copies) {
        console.usePrivateCopies(*copies);
    }
    // A watching host waits for a module that does not load yet; the failure has been told.
    if (!console.loadModule() && !options.watch) {
        return kRunFailure;
    }
    int status = session(options, *host, console, in, out, err, inIsTerminal);
    // Unloaded here rather than with the host, so that a failure on the way out is told.
    if (!console.unloadModule()) {
        status = kRunFailure;
    }
    return consoleLogLost(out, err) ? kRunFailure : status;
}

}  // namespace

void prepareStandardStreams() {
    // C++ streams of their own, so that a failed read of standard input reports why (a directory,
    // say) instead of passing for its end.
    std::ios::sync_with_stdio(false);
    std::cin.exceptions(std::ios::badbit);
    // The console is read on a thread of its own in a live session: a read must not flush what
    // the host's thread is writing meanwhile.
    std::cin.tie(nullptr);
}

int runSimhost(const std::vector<std::string>& arguments, std::istream& in, std::ostream& out,
               std::ostream& err, bool inIsTerminal) {
    try {
        if (!arguments.empty() && arguments.front() == "check") {
            return check::runCheckCommand({arguments.begin() + 1, arguments.end()}, out, err);
        }
        Options options;
        try {
            options = parseOptions(arguments);
        } catch (const UsageError& error) {
            err << errorMessage(error.what()) << "\nTry 'simhost --help'.\n";
            return kUsageError;
        }
        if (options.window && !windowAvailable()) {
            err << errorMessage(
                       "--window: this simhost was built without SDL2 and cannot open a "
                       "window; use --screenshot or --interactive")
                << '\n';
            return kUsageError;
        }
        if (options.action == Options::Action::Help) {
            out << usage();
        } else if (options.action == Options::Action::Version) {
            out << "simhost " << SIMHOST_VERSION << '\n';
        } else {
            return run(options, in, out, err, inIsTerminal);
        }
        return consoleLogLost(out, err) ? kRunFailure : kSuccess;
    } catch (...) {
        // Nothing may end the program unexplained.
        err << errorMessage("unexpected failure: " + describe(std::current_exception())) << '\n';
        return kRunFailure;
    }
}

}  // namespace simhost
