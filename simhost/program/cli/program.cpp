#include "program/cli/program.h"
#include "program/values/number_parsers.h"

#include <exception>
#include <iostream>
#include <istream>
#include <new>
#include <optional>
#include <ostream>
#include <vector>

#include "program/check/check_command.h"
#include "program/cli/command_line.h"
#include "program/console/console.h"
#include "program/console/console_session.h"
#include "program/live/display.h"
#include "program/live/module_watch.h"
#include "program/live/window.h"
#include "program/output/call_trace.h"
#include "program/output/error_message.h"
#include "program/output/game_frame.h"
#include "program/output/screenshot.h"
#include "program/process/ending_signals.h"
#include "program/process/exit_guard.h"
#include "program/process/exit_status.h"
#include "program/process/terminal.h"
#include "simhost/host.h"
#include "simhost/host_error.h"
#include "tools/imports_beside.h"
#include "tools/private_copies.h"

namespace simhost {

namespace {

// How often a watching console session looks at the file while nobody types; with the watch's
// settling time this keeps a rebuilt module within a quarter of a second.
constexpr std::chrono::milliseconds kLookEvery{25};

// The host draws asked for after the commands, and the picture of the last one; false, with the
// failure told, when either failed.
bool drawFrames(const RunOptions& options, Host& host, std::ostream& err) {
    try {
        for (long long frame = 0; frame < options.frames; ++frame) {
            host.draw();
        }
        if (options.screenshot) {
            writeScreenshot(host.canvas(), *options.screenshot);
        }
    } catch (const HostError& error) {
        err << errorMessage(error) << '\n';
        return false;
    } catch (...) {
        err << errorMessage(describe(std::current_exception())) << '\n';
        return false;
    }
    return true;
}

// Everything after the module is loaded: the commands, the frames, the screenshot, the session.
int afterLoading(const RunOptions& options, Host& host, Console& console, std::istream& in,
                 std::ostream& out, std::ostream& err, bool inIsTerminal) {
    int status = kSuccess;
    bool quit = false;
    for (const std::string& command : options.commands) {
        const Console::Ran outcome = console.run(command);
        if (outcome == Console::Ran::Quit) {
            quit = true;  // no more console input; the frames and the picture asked for follow
            break;
        }
        if (outcome == Console::Ran::Failed) {
            status = kRunFailure;
        }
    }

    std::optional<ModuleWatch> watch;
    if (options.watch) {
        watch.emplace(console, FileWatch::Clock::now());
    }
    if (options.window) {
        if (quit) {
            return status;
        }
        ConsoleSession session(console, in, out, err, inIsTerminal,
                               ConsoleSession::AtInputEnd::GoOn);
        const WindowRun window{
            .frames = options.framesGiven ? std::optional(options.frames) : std::nullopt,
            .screenshot = options.screenshot,
            .toggle = options.toggle,
            .flipEachFrame = options.flipEachFrame,
            .watching = options.watch};
        const int windowStatus = runWindow(host, session, window, watch ? &*watch : nullptr, err);
        return windowStatus != kSuccess ? windowStatus : status;
    }

    if (!drawFrames(options, host, err) || consoleLogLost(out, err)) {
        return kRunFailure;
    }
    if (options.interactive && !quit) {
        ConsoleSession session(console, in, out, err, inIsTerminal,
                               ConsoleSession::AtInputEnd::EndSession);
        std::vector<BetweenTurns*> between;
        std::optional<std::chrono::milliseconds> every;
        if (watch) {
            between.push_back(&*watch);
            every = kLookEvery;
        }
        if (pump(session, between, every) != kSuccess) {
            return kRunFailure;
        }
    }
    return status;
}

int run(const RunOptions& options, std::istream& in, std::ostream& out, std::ostream& err,
        bool inIsTerminal) {
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
        importsBeside(std::filesystem::absolute(options.module));
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
    host->setScene(paintGameFrame);
    std::optional<TraceOutput> traceOutput;
    std::optional<CallTrace> trace;
    if (options.trace) {
        traceOutput.emplace(*options.trace, err);
        if (traceOutput->stream() == nullptr) {
            err << errorMessage(HostError(*options.trace, "cannot be opened to write the trace in"))
                << '\n';
            return kRunFailure;
        }
        trace.emplace(*traceOutput->stream());
        host->setWatches({&*trace, &*trace, &*trace});
    }
    Console console(*host, options.module, err);
    if (copies) {
        console.usePrivateCopies(*copies);
    }
    // A watching host waits for a module that does not load yet; the failure has been told.
    if (!console.loadModule() && !options.watch) {
        return kRunFailure;
    }
    int status = afterLoading(options, *host, console, in, out, err, inIsTerminal);
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
    failWritesToClosedPipes();
}

int runSimhost(const std::vector<std::string>& arguments, std::istream& in, std::ostream& out,
               std::ostream& err, bool inIsTerminal) {
    try {
        const auto line = parseCommandLine(arguments);
        if (!line) {
            err << errorMessage(line.reason()) << "\nTry '" << helpFor(arguments) << "'.\n";
            return kUsageError;
        }
        switch (line->action) {
            case CommandLine::Action::Help:
            case CommandLine::Action::Version:
                out << line->text;
                return consoleLogLost(out, err) ? kRunFailure : kSuccess;
            case CommandLine::Action::Check:
                return check::runCheckCommand(line->check, out, err);
            case CommandLine::Action::Run:
                break;
        }
        if (line->run.window && !displayAvailable()) {
            err << errorMessage(
                       "--window: this simhost was built without SDL2 and cannot open a "
                       "window; use --screenshot or --interactive")
                << '\n';
            return kUsageError;
        }
        return run(line->run, in, out, err, inIsTerminal);
    } catch (...) {
        // Nothing may end the program unexplained.
        err << errorMessage("unexpected failure: " + describe(std::current_exception())) << '\n';
        return kRunFailure;
    }
}

}  // namespace simhost
