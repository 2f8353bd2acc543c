#include "program/program.h"

#include <exception>
#include <istream>
#include <new>
#include <optional>
#include <ostream>

#include "program/check/check_command.h"
#include "program/console.h"
#include "program/console_input.h"
#include "program/error_message.h"
#include "program/options.h"
#include "program/scene.h"
#include "program/screenshot.h"
#include "simhost/host.h"
#include "simhost/host_error.h"

namespace simhost {

namespace {

constexpr int kSuccess = 0;
constexpr int kRunFailure = 1;
constexpr int kUsageError = 2;

// The console log is the program's output: losing it is a failure, not a detail.
bool outputLost(std::ostream& out, std::ostream& err) {
    if (out.flush()) {
        return false;
    }
    err << errorMessage("cannot write the console log to standard output") << '\n';
    return true;
}

int interactiveSession(Console& console, std::istream& in, std::ostream& out, std::ostream& err,
                       bool inIsTerminal) {
    ConsoleInput input(in);
    for (long long lineNumber = 1;; ++lineNumber) {
        if (inIsTerminal) {
            err << "] " << std::flush;
        }
        switch (input.next()) {
            case ConsoleInput::Status::Line:
                if (console.run(input.line()) == Console::Outcome::Quit) {
                    return kSuccess;
                }
                break;
            case ConsoleInput::Status::TooLong:
                err << errorMessage("console line " + std::to_string(lineNumber) +
                                    " is longer than " + std::to_string(ConsoleInput::kMaxLine) +
                                    " bytes; it was skipped")
                    << '\n';
                break;
            case ConsoleInput::Status::End:
                return kSuccess;
            case ConsoleInput::Status::ReadError:
                err << errorMessage("cannot read standard input: " + input.readError()) << '\n';
                return kRunFailure;
        }
        if (outputLost(out, err)) {
            return kRunFailure;
        }
    }
}

int run(const Options& options, std::istream& in, std::ostream& out, std::ostream& err,
        bool inIsTerminal) {
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
    if (!console.loadModule()) {
        return kRunFailure;
    }

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

    try {
        for (long long frame = 0; frame < options.frames; ++frame) {
            host->draw();
        }
        if (options.screenshot) {
            writeScreenshot(host->canvas(), *options.screenshot);
        }
    } catch (const HostError& error) {
        err << errorMessage(error) << '\n';
        return kRunFailure;
    } catch (...) {
        err << errorMessage(describe(std::current_exception())) << '\n';
        return kRunFailure;
    }
    if (outputLost(out, err)) {
        return kRunFailure;
    }

    if (options.interactive && !quit &&
        interactiveSession(console, in, out, err, inIsTerminal) != kSuccess) {
        return kRunFailure;
    }
    return outputLost(out, err) ? kRunFailure : status;
}

}  // namespace

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
        if (options.action == Options::Action::Help) {
            out << usage();
        } else if (options.action == Options::Action::Version) {
            out << "simhost " << SIMHOST_VERSION << '\n';
        } else {
            return run(options, in, out, err, inIsTerminal);
        }
        return outputLost(out, err) ? kRunFailure : kSuccess;
    } catch (...) {
        // Nothing may end the program unexplained.
        err << errorMessage("unexpected failure: " + describe(std::current_exception())) << '\n';
        return kRunFailure;
    }
}

}  // namespace simhost
