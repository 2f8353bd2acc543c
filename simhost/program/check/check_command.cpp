#include "program/check/check_command.h"

#include <algorithm>
#include <charconv>
#include <optional>
#include <ostream>
#include <regex>
#include <system_error>

#include "program/check/battery.h"
#include "program/check/isolation.h"
#include "program/check/report.h"
#include "program/ending_signals.h"
#include "program/error_message.h"
#include "program/exit_guard.h"
#include "program/number_parsers.h"
#include "program/options.h"
#include "program/printable.h"
#include "simhost/host_error.h"

namespace simhost::check {

namespace {

constexpr long long kMaxCycles = 100'000;
constexpr double kMaxTimeout = 3600;
// Check ids are a word or two: a longer pattern is a mistake, and one deep enough would
// exhaust the regular-expression engine's stack.
constexpr std::size_t kLongestPattern = 200;

struct CheckOptions {
    bool help = false;
    bool list = false;
    bool inProcess = false;
    Timeout timeout;
    std::optional<std::regex> only;
    std::optional<std::string> runOne;
    std::optional<std::string> reportChannel;
    std::optional<std::filesystem::path> junit;
    std::optional<std::filesystem::path> json;
    // The module as the person named it, for the reports.
    std::filesystem::path module;
    Settings settings;
};

std::regex pattern(const std::string& text) {
    if (text.size() > kLongestPattern) {
        throw UsageError("--only: the pattern is longer than " + std::to_string(kLongestPattern) +
                         " characters");
    }
    std::regex compiled;
    try {
        compiled.assign(text);
    } catch (const std::regex_error& error) {
        throw UsageError("--only: " + printable(text) + " is no regular expression (" +
                         error.what() + ")");
    }
    const auto& checks = battery();
    if (std::none_of(checks.begin(), checks.end(), [&compiled](const Check& check) {
            return std::regex_search(check.id, compiled);
        })) {
        // A typo must not turn a gate green with nothing checked.
        throw UsageError("--only: " + printable(text) + " matches no check; --list names them");
    }
    return compiled;
}

Timeout timeoutOf(const std::string& text) {
    double seconds = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), seconds);
    if (error != std::errc{} || end != text.data() + text.size() || !(seconds > 0) ||
        seconds > kMaxTimeout) {
        throw UsageError("--timeout: " + printable(text) +
                         " is not a number of seconds above 0, at most 3600");
    }
    return {seconds, text};
}

// The same file, however each is named; a file that does not exist yet is its name.
bool sameFile(const std::filesystem::path& a, const std::filesystem::path& b) {
    std::error_code error;
    if (std::filesystem::equivalent(a, b, error) && !error) {
        return true;
    }
    return std::filesystem::weakly_canonical(std::filesystem::absolute(a), error) ==
           std::filesystem::weakly_canonical(std::filesystem::absolute(b), error);
}

// Report files are refused before any check runs: one that would overwrite the module, or the
// other report, loses what is there.
void checkReportFiles(const CheckOptions& options) {
    for (const auto& [option, file] : {std::pair{"--junit", &options.junit},
                                       std::pair{"--json", &options.json}}) {
        if (!*file) {
            continue;
        }
        if ((*file)->empty()) {
            throw UsageError(std::string(option) + ": the file name is empty");
        }
        if (!options.module.empty() && sameFile(**file, options.module)) {
            throw UsageError(std::string(option) + ": " + printable((*file)->string()) +
                             " is the module being checked");
        }
    }
    if (options.junit && options.json && sameFile(*options.junit, *options.json)) {
        throw UsageError("--json: " + printable(options.json->string()) +
                         " is the --junit report's file too");
    }
}

CheckOptions parse(const std::vector<std::string>& arguments) {
    CheckOptions options;
    bool moduleGiven = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& name = arguments[i];
        const auto value = [&]() -> const std::string& {
            if (i + 1 >= arguments.size()) {
                throw UsageError(name + " needs a value");
            }
            return arguments[++i];
        };
        std::string why;
        if (name == "--help" || name == "-h") {
            options.help = true;
            return options;
        } else if (name == "--list") {
            options.list = true;
        } else if (name == "--in-process") {
            options.inProcess = true;
        } else if (name == "--only") {
            options.only = pattern(value());
        } else if (name == "--timeout") {
            options.timeout = timeoutOf(value());
        } else if (name == "--cycles") {
            const std::string& text = value();
            const auto cycles = parseCount(text, kMaxCycles, why);
            if (!cycles) {
                throw UsageError("--cycles: " + why);
            }
            if (*cycles < kFewestCycles) {
                throw UsageError("--cycles: " + printable(text) + " cannot show growth; at least " +
                                 std::to_string(kFewestCycles) + " are needed");
            }
            options.settings.cycles = *cycles;
        } else if (name == "--junit") {
            options.junit = value();
        } else if (name == "--json") {
            options.json = value();
        } else if (name == kRunOne) {
            options.runOne = value();
        } else if (name == kReportChannel) {
            options.reportChannel = value();
        } else if (name.size() > 1 && name.front() == '-') {
            throw UsageError("check: unknown option " + printable(name));
        } else if (name.empty()) {
            throw UsageError("the module's name is empty");
        } else if (moduleGiven) {
            throw UsageError("check takes one module; " + printable(name) + " is a second one");
        } else {
            options.module = name;
            moduleGiven = true;
        }
    }
    if (!moduleGiven && !options.list) {
        throw UsageError("check: no module given");
    }
    if (options.runOne.has_value() != options.reportChannel.has_value()) {
        throw UsageError(std::string(kRunOne) + " and " + std::string(kReportChannel) +
                         " go together");
    }
    checkReportFiles(options);
    // Once, before any module code runs: a plug-in may change the working directory.
    if (moduleGiven) {
        options.settings.module = std::filesystem::absolute(options.module);
    }
    for (auto* file : {&options.junit, &options.json}) {
        if (*file) {
            *file = std::filesystem::absolute(**file);
        }
    }
    return options;
}

const Check* findCheck(const std::string& id) {
    for (const Check& check : battery()) {
        if (id == check.id) {
            return &check;
        }
    }
    return nullptr;
}

// Whether the load check's failure means the plug-in does not load: it did not get past onLoad.
bool notLoaded(const Outcome& outcome) {
    return outcome.verdict == Verdict::Fail &&
           (!outcome.endedIn || *outcome.endedIn == ModuleCall::Open ||
            *outcome.endedIn == ModuleCall::Create || *outcome.endedIn == ModuleCall::OnLoad);
}

bool reportLost(std::ostream& out, std::ostream& err) {
    if (out.flush()) {
        return false;
    }
    err << errorMessage("cannot write the report to standard output") << '\n';
    return true;
}

}  // namespace

int runCheckCommand(const std::vector<std::string>& arguments, std::ostream& out,
                    std::ostream& err) {
    CheckOptions options;
    try {
        options = parse(arguments);
    } catch (const UsageError& error) {
        err << errorMessage(error.what()) << "\nTry 'simhost check --help'.\n";
        return 2;
    }
    if (options.help) {
        out << checkUsage();
        return reportLost(out, err) ? 1 : 0;
    }
    if (options.list) {
        for (const Check& check : battery()) {
            out << check.id << "  " << check.description << '\n';
        }
        return reportLost(out, err) ? 1 : 0;
    }
    if (options.runOne) {
        const Check* check = findCheck(*options.runOne);
        if (check == nullptr) {
            err << errorMessage("no check named " + printable(*options.runOne)) << '\n';
            return 2;
        }
        return runOneForParent(*check, options.settings, *options.reportChannel);
    }

    // In one process a plug-in calling exit() would end the run looking finished; in children
    // a request to end is passed on to the child running and everything it started.
    std::optional<ExitGuard> guard;
    std::optional<EndingSignals> signals;
    if (options.inProcess) {
        guard.emplace("the check run did not finish: the plug-in ended the process");
    } else {
        signals.emplace();
    }
    std::vector<Finding> findings;
    bool opened = true;
    bool loaded = true;
    for (const Check& check : battery()) {
        if (options.only && !std::regex_search(check.id, *options.only)) {
            continue;
        }
        Finding finding{check.id, check.description, {}};
        if (!opened && std::string_view(check.id) != "opens") {
            finding.outcome = {Verdict::Skip, "the module does not open", 0, {}};
        } else if (!loaded && check.needsLoad) {
            finding.outcome = {Verdict::Skip, "the plug-in does not load", 0, {}};
        } else {
            finding.outcome = options.inProcess
                                  ? runCheck(check, options.settings)
                                  : runIsolated(check, options.settings, options.timeout);
        }
        if (EndingSignals::received() != 0) {
            return 1;  // the caller ends as the request asks
        }
        const bool failed = finding.outcome.verdict == Verdict::Fail;
        opened = opened && !(failed && std::string_view(check.id) == "opens");
        loaded = loaded && !(std::string_view(check.id) == "load" && notLoaded(finding.outcome));
        out << line(finding) << '\n';
        if (reportLost(out, err)) {
            return 1;
        }
        findings.push_back(std::move(finding));
    }
    out << summary(findings) << '\n';
    if (reportLost(out, err)) {
        return 1;
    }

    try {
        if (options.junit) {
            writeJunit(findings, options.module, *options.junit);
        }
        if (options.json) {
            writeJson(findings, options.module, *options.json);
        }
    } catch (const HostError& error) {
        err << errorMessage(error) << '\n';
        return 1;
    }
    for (const Finding& finding : findings) {
        if (finding.outcome.verdict == Verdict::Fail) {
            return 1;
        }
    }
    return 0;
}

std::string checkUsage() {
    return R"(Usage: simhost check [OPTION]... MODULE
Proves that a built module keeps the host's contract: each check loads it anew in a child
process, so a crash or a hang fails that check and the others still run.

  --list               list the checks and what each proves
  --only REGEX         run only the checks whose id matches
  --in-process         run every check in this process (for a debugger)
  --timeout SECONDS    how long one check may take (default 10)
  --cycles N           load and unload cycles of the cycles check, at least 10 (default 100)
  --junit FILE         also write a JUnit XML report
  --json FILE          also write a JSON report
  --help               show this help

Exit status: 0 nothing failed, 1 a check failed or the module could not be checked, 2 a usage
error.
)";
}

}  // namespace simhost::check
