#include "program/cli/command_line.h"

#include <CLI/CLI.hpp>

#include <cstdint>
#include <limits>
#include <memory>
#include <optional>
#include <utility>

#include "program/check/check_selection.h"
#include "program/check/explore/session.h"
#include "program/output/screenshot.h"
#include "program/output/shown_text.h"
#include "program/values/number_parsers.h"
#include "simhost/services/canvas.h"
#include "tools/probe_names.h"

namespace simhost {

namespace {

// An option read by one of the program's own parsers, straight into `into`; the parser's refusal
// is the message.
template <typename T, typename Parse>
CLI::Option* addParsed(CLI::App& app, const std::string& name, T& into, Parse parse,
                       const std::string& description) {
    return app.add_option_function<std::string>(
        name,
        [&into, parse, name](const std::string& text) {
            auto parsed = parse(text);
            if (!parsed) {
                throw CLI::ValidationError(name, parsed.reason());
            }
            into = std::move(*parsed);
        },
        description);
}

// A CLI11 validator from one of the program's own checks: the check's refusal is the message.
template <typename Parse>
CLI::Validator takes(Parse parse) {
    return CLI::Validator(
        [parse](std::string& text) {
            const auto parsed = parse(text);
            return parsed ? std::string() : parsed.reason();
        },
        "");
}

// Usage lines that name the subcommand as it is typed: "simhost check".
class Formatter final : public CLI::Formatter {
public:
    std::string make_usage(const CLI::App* app, std::string name) const override {
        return CLI::Formatter::make_usage(
            app, app->get_parent() != nullptr ? "simhost " + std::move(name) : std::move(name));
    }
};

const std::string kSizes = std::to_string(Canvas::kMaxSide);

Result<> pngName(const std::string& name) {
    if (!namesPngFile(name)) {
        return refuse(printable(name) + " must name a .png file");
    }
    return {};
}

// The text for people, around what CLI11 writes of the options themselves.
const char* const kDescription =
    "Loads a plug-in module into the stand-in overlay host, runs console commands and host "
    "draws, and writes what the overlay shows as a PNG picture.";
const char* const kFooter =
    R"(The console log goes to standard output exactly as modules write it; the host's own messages go
to standard error. Type "help" at the console for its commands.

Exit status: 0 success, 1 a load or run failure, 2 a usage error.)";
const char* const kCheckSummary = "checks that a built module keeps the host's contract";
const char* const kCheckFooter =
    R"(Each check loads the module anew in a child process, so a crash or a hang fails that check and
the others still run. The verdict holds against a plug-in's mistakes (crashes, hangs, stray
output, processes left running, leaks), not against one written to read this program's memory
and forge its result.

On Linux each child runs in a pid namespace of its own: whatever the plug-in starts ends with
the check, and with this program however it ends. Where the system allows no namespace, a line
says so and the child runs in a process group of its own, which a process that leaves the group
and keeps its parent alive can outlast. On Windows a job object holds the child.

The explore check drives the module through random host sessions drawn from --seed: the same
seed draws the same sessions on every platform, so the default gives the same run each time and
other seeds explore further. A failure names its seed and session, and is shrunk, each candidate
in a fresh child, to the shortest session that fails the same way, printed as a --replay command
line. It proves only the sessions it drew: not the host's own threads, timers or game events.

--in-process runs the checks in this one process, for a debugger: a crash or a hang ends the run,
a plug-in's exit() or quick_exit() fails it, and its _exit() ends it with the status it gives.

Exit status: 0 nothing failed, 1 a check failed or the module could not be checked, 2 a usage
error.)";

// Options kept as typed until the checks that take them together.
struct Given {
    std::string screenshot;
    std::string module;
    std::string junit;
    std::string json;
    std::string checkModule;
    std::string trace;
    std::string checkTrace;
};

// Both grammars, declared once: the parser and the help are made from the same definitions.
void declare(CLI::App& app, CLI::App& check, CommandLine& line, Given& given) {
    app.description(kDescription);
    app.footer(kFooter);
    app.set_version_flag("--version", "simhost " SIMHOST_VERSION, "show the program's version");
    RunOptions& run = line.run;
    addParsed(
        app, "--size", run.size, [](const std::string& text) { return parseCanvasSize(text); },
        "canvas size, each side 1 to " + kSizes + " (default " +
            canvasSizeText(Host::kDefaultCanvasSize) + ")")
        ->type_name("WxH");
    addParsed(
        app, "--frames", run.frames,
        [](const std::string& text) { return parseCount(text, kMaxFrames); },
        "host draws to run after the commands, 0 to " + std::to_string(kMaxFrames) + " (default 1)")
        ->type_name("N");
    app.add_option("--command", run.commands,
                   "console command to run after the module is loaded; repeatable, in order; "
                   "\"quit\" skips the commands after it and the interactive session")
        ->type_name("CMD")
        ->allow_extra_args(false);
    app.add_option("--screenshot", given.screenshot,
                   "write the canvas after the last draw to FILE (.png); needs --frames 1 or "
                   "more")
        ->type_name("FILE")
        ->check(takes(pngName));
    app.add_flag("--interactive", run.interactive, "then read console commands from standard input")
        ->disable_flag_override();
    app.add_flag("--window", run.window,
                 "show the frames in a resizable window, the canvas following its size, with the "
                 "console read from standard input beside it; F1 flips the --toggle variable, F5 "
                 "loads the module again, F12 writes simhost-N.png, Escape quits. With --frames N "
                 "it ends after N frames and tells their median and 99th percentile time and "
                 "bytes sent to the screen; "
                 "--screenshot is written at the end")
        ->disable_flag_override();
    app.add_option("--toggle", line.run.toggle,
                   "the console variable F1 flips in the window (default: the module's first "
                   "variable bounded 0 to 1)")
        ->type_name("NAME");
    app.add_flag("--flip-each-frame", run.flipEachFrame,
                 "with --window: flip the --toggle variable before every frame, to measure what "
                 "a frame that changes costs")
        ->disable_flag_override();
    app.add_flag("--watch", run.watch,
                 "with --window or --interactive: load the module again whenever its file is "
                 "rebuilt, keeping the console variables' values")
        ->disable_flag_override();
    app.add_option("--trace", given.trace,
                   "write every call between host and plug-in to FILE, '-' for standard error")
        ->type_name("FILE");
    app.add_option("MODULE", given.module, "the plug-in module to load");

    check::CheckOptions& options = line.check;
    check.footer(kCheckFooter);
    check.add_flag("--list", options.list, "list the checks and what each proves")
        ->disable_flag_override();
    check
        .add_option("--only", options.only,
                    "run only these checks: ids, comma-separated, '*' and '?' allowed")
        ->type_name("IDS")
        ->check(takes(check::patternSelectsChecks));
    check
        .add_flag("--in-process", options.inProcess,
                  "run every check in this process (for a debugger; see below)")
        ->disable_flag_override();
    addParsed(check, "--timeout", options.timeout, check::timeoutIn,
              "how long one check may take; the cycles and explore checks per 100 cycles or "
              "sessions (default 10)")
        ->type_name("SECONDS");
    addParsed(check, "--cycles", options.settings.cycles, check::cyclesIn,
              "load and unload cycles of the cycles check, at least " +
                  std::to_string(check::kFewestCycles) + " (default " +
                  std::to_string(check::kDefaultCycles) + ")")
        ->type_name("N");
    check::Exploration& explore = options.settings.explore;
    addParsed(
        check, "--seed", explore.seed,
        [](const std::string& text) -> Result<std::uint64_t> {
            auto seed = parseCount(text, std::numeric_limits<long long>::max());
            if (!seed) {
                return Refusal{seed.reason()};
            }
            return static_cast<std::uint64_t>(*seed);
        },
        "the explore check's seed: the same seed draws the same sessions (default 1)")
        ->type_name("N");
    addParsed(
        check, "--sessions", explore.sessions,
        [](const std::string& text) { return check::atLeastOne(text, check::kMostSessions); },
        "sessions the explore check draws, 1 to " + std::to_string(check::kMostSessions) +
            " (default 100)")
        ->type_name("N");
    addParsed(
        check, "--steps", explore.steps,
        [](const std::string& text) { return check::atLeastOne(text, check::kMostSteps); },
        "the most steps of one session, 1 to " + std::to_string(check::kMostSteps) + " (default 8)")
        ->type_name("N");
    addParsed(
        check, "--replay", explore.replay,
        [](const std::string& text) -> Result<std::optional<std::string>> {
            if (const auto session = check::parseSession(text); !session) {
                return Refusal{session.reason()};
            }
            return std::optional<std::string>(text);
        },
        "the explore check runs this one session instead, as its failure prints it")
        ->type_name("STEPS");
    check
        .add_option("--trace", given.checkTrace,
                    "append every call between host and plug-in to FILE, each check's headed by "
                    "its id; '-' for standard error")
        ->type_name("FILE");
    check.add_option("--junit", given.junit, "also write a JUnit XML report")->type_name("FILE");
    check.add_option("--json", given.json, "also write a JSON report")->type_name("FILE");
    // A child's run of one check, for its parent: not for people.
    check.add_option(std::string(check::kRunOne), options.runOne)->group("");
    check.add_option(std::string(check::kReportChannel), options.reportChannel)->group("");
    check.add_option("MODULE", given.checkModule, "the module to check");
}

// A trace's destination, made absolute before any module runs; "-" stays standard error.
std::filesystem::path traceTo(const std::string& given) {
    return given == "-" ? std::filesystem::path("-") : std::filesystem::absolute(given);
}

// What the options say together, once each has been read.
Result<> runOptionsAgree(const CommandLine& line, bool moduleGiven) {
    const RunOptions& run = line.run;
    if (!moduleGiven) {
        return refuse("no module given");
    }
    if (run.module.empty()) {
        return refuse("the module's name is empty");
    }
    if (run.watch && !run.window && !run.interactive) {
        // Without a session nobody would ever see the module loaded again.
        return refuse("--watch needs --window or --interactive");
    }
    if (run.flipEachFrame && !run.window) {
        return refuse("--flip-each-frame needs --window");
    }
    if (run.window && run.frames == 0) {
        return refuse("--window needs a frame to show; --frames 0 shows none");
    }
    if (run.screenshot && run.frames == 0) {
        // The picture would show a canvas nothing was ever drawn on.
        return refuse("--screenshot needs a frame to show; --frames 0 draws none");
    }
    return {};
}

Result<> checkOptionsAgree(const check::CheckOptions& options, bool moduleGiven) {
    if (!moduleGiven && !options.list) {
        return refuse("check: no module given");
    }
    if (moduleGiven && options.module.empty()) {
        return refuse("the module's name is empty");
    }
    if (options.runOne.has_value() != options.reportChannel.has_value()) {
        return refuse(std::string(check::kRunOne) + " and " + std::string(check::kReportChannel) +
                      " go together");
    }
    return check::reportFilesApart(options);
}

// The check subcommand's options, once CLI11 has read them: paths made absolute once, before
// any module code runs (a plug-in may change the working directory).
Result<CommandLine> checkLine(CommandLine line, const Given& given, bool moduleGiven,
                              const CLI::App& check) {
    line.action = CommandLine::Action::Check;
    check::CheckOptions& options = line.check;
    options.module = given.checkModule;
    if (check.count("--junit") > 0) {
        options.junit = given.junit;
    }
    if (check.count("--json") > 0) {
        options.json = given.json;
    }
    if (auto agreed = checkOptionsAgree(options, moduleGiven); !agreed) {
        return refuse(agreed.reason());
    }
    if (!options.module.empty()) {
        // The file itself, links followed, for a child to open as this process would: /dev/stdin
        // in a child is the child's own.
        options.settings.module = resolvedName(options.module);
    }
    if (check.count("--trace") > 0) {
        options.settings.trace = traceTo(given.checkTrace);
    }
    for (auto* file : {&options.junit, &options.json}) {
        if (*file) {
            *file = std::filesystem::absolute(**file);
        }
    }
    return line;
}

Result<CommandLine> runLine(CommandLine line, const Given& given, bool moduleGiven,
                            const CLI::App& app) {
    RunOptions& run = line.run;
    run.framesGiven = app.count("--frames") > 0;
    if (app.count("--screenshot") > 0) {
        run.screenshot = given.screenshot;
    }
    run.module = given.module;
    if (auto agreed = runOptionsAgree(line, moduleGiven); !agreed) {
        return refuse(agreed.reason());
    }
    if (run.screenshot) {
        run.screenshot = std::filesystem::absolute(*run.screenshot);
    }
    if (app.count("--trace") > 0) {
        run.trace = traceTo(given.trace);
    }
    return line;
}

}  // namespace

Result<CommandLine> parseCommandLine(const std::vector<std::string>& arguments) {
    CommandLine line;
    Given given;
    CLI::App app("", "simhost");
    auto formatter = std::make_shared<Formatter>();
    formatter->column_width(28);
    app.formatter(formatter);
    // A path such as /home/a/m.so is a module, not a Windows-style option, on every system.
    app.allow_windows_style_options(false);
    CLI::App* check = app.add_subcommand("check", kCheckSummary);
    app.require_subcommand(0, 1);
    declare(app, *check, line, given);
    try {
        // CLI11 reads the arguments last to first.
        std::vector<std::string> reversed(arguments.rbegin(), arguments.rend());
        app.parse(reversed);
    } catch (const CLI::CallForHelp&) {
        line.action = CommandLine::Action::Help;
        line.text = check->parsed() ? check->help() : app.help();
        return line;
    } catch (const CLI::CallForVersion& version) {
        line.action = CommandLine::Action::Version;
        line.text = std::string(version.what()) + "\n";
        return line;
    } catch (const CLI::ParseError& error) {
        return refuse(error.what());
    }

    if (check->parsed()) {
        return checkLine(std::move(line), given, check->count("MODULE") > 0, *check);
    }
    return runLine(std::move(line), given, app.count("MODULE") > 0, app);
}

std::string helpFor(const std::vector<std::string>& arguments) {
    return !arguments.empty() && arguments.front() == "check" ? "simhost check --help"
                                                              : "simhost --help";
}

}  // namespace simhost
