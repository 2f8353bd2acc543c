#include "program.h"

#include <exception>
#include <istream>
#include <ostream>

#include "bakkesmod/host.h"
#include "bakkesmod/host_error.h"
#include "console.h"
#include "options.h"
#include "scene.h"
#include "screenshot.h"

namespace simhost {

namespace {

constexpr int kSuccess = 0;
constexpr int kRunFailure = 1;
constexpr int kUsageError = 2;

}  // namespace

int runSimhost(const std::vector<std::string>& arguments, std::istream& in, std::ostream& out,
               std::ostream& err, bool inIsTerminal) {
    Options options;
    try {
        options = parseOptions(arguments);
    } catch (const UsageError& error) {
        err << "simhost: " << error.what() << "\nTry 'simhost --help'.\n";
        return kUsageError;
    }
    if (options.action == Options::Action::Help) {
        out << usage();
        return kSuccess;
    }
    if (options.action == Options::Action::Version) {
        out << "simhost " << SIMHOST_VERSION << '\n';
        return kSuccess;
    }

    Host host(options.size);
    host.log().setEcho(&out);
    host.setScene(paintScene);
    Console console(host, options.module, err);
    if (!console.loadModule()) {
        return kRunFailure;
    }

    int status = kSuccess;
    for (const std::string& command : options.commands) {
        const Console::Outcome outcome = console.run(command);
        if (outcome == Console::Outcome::Quit) {
            return status;
        }
        if (outcome == Console::Outcome::Failed) {
            status = kRunFailure;
        }
    }

    try {
        for (long long frame = 0; frame < options.frames; ++frame) {
            host.draw();
        }
        if (options.screenshot) {
            writeScreenshot(host.canvas(), *options.screenshot);
        }
    } catch (...) {
        err << "simhost: " << describe(std::current_exception()) << '\n';
        return kRunFailure;
    }

    if (options.interactive) {
        std::string line;
        while (true) {
            if (inIsTerminal) {
                err << "] " << std::flush;
            }
            if (!std::getline(in, line) || console.run(line) == Console::Outcome::Quit) {
                break;
            }
        }
    }
    return status;
}

}  // namespace simhost
