#include "program/check/check_command.h"

#include <charconv>
#include <optional>
#include <ostream>
#include <regex>

#include "program/check/battery.h"
#include "program/check/isolation.h"
#include "program/check/report.h"
#include "program/error_message.h"
#include "program/number_parsers.h"
#include "program/options.h"
#include "program/printable.h"
#include "simhost/host_error.h"

namespace simhost::check {

namespace {

constexpr long long kMaxCycles = 100'000;
constexpr double kMaxTimeout = 3600;

struct CheckOptions {
    bool list = false;
    bool inProcess = false;
    double timeoutSeconds = 10;
    std::optional<std::regex> only;
    std::optional<std::string> runOne;
    std::optional<std::filesystem::path> junit;
    std::optional<std::filesystem::path> json;
    Settings settings;
};

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
        if (name == "--list") {
            options.list = true;
        } else if (name == "--in-process") {
            options.inProcess = true;
        } else if (name == "--only") {
            const std::string& pattern = value();
            try {
                options.only.emplace(pattern);
            } catch (const std::regex_error& error) {
                throw UsageError("--only: " + printable(pattern) + " is no regular expression (" +
                                 error.what() + ")");
            }
        } else if (name == "--timeout") {
            const std::string& text = value();
            double seconds = 0;
            const auto [end, error] =
                std::from_chars(text.data(), text.data() + text.size(), seconds);
            if (error != std::errc{} || end != text.data() + text.size() || !(seconds > 0) ||
                seconds > kMaxTimeout) {
                throw UsageError("--timeout: " + printable(text) +
                                 " is not a number of seconds above 0, at most 3600");
            }
            options.timeoutSeconds = seconds;
        } else if (name == "--cycles") {
            const auto cycles = parseCount(value(), kMaxCycles, why);
            if (!cycles) {
                throw UsageError("--cycles: " + why);
            }
            if (*cycles == 0) {
                throw UsageError("--cycles: at least one cycle is needed");
            }
            options.settings.cycles = *cycles;
        } else if (name == "--junit") {
            options.junit = value();
        } else if (name == "--json") {
            options.json = value();
        } else if (name == kRunOne) {
            options.runOne = value();
        } else if (name.size() > 1 && name.front() == '-') {
            throw UsageError("check: unknown option " + printable(name));
        } else if (name.empty()) {
            throw UsageError("the module's name is empty");
        } else if (moduleGiven) {
            throw UsageError("check takes one module; " + printable(name) + " is a second one");
        } else {
            options.settings.module = name;
            moduleGiven = true;
        }
    }
    if (!moduleGiven && !options.list) {
        throw UsageError("check: no module given");
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

}  // namespace

int runCheckCommand(const std::vector<std::string>& arguments, std::ostream& out,
                    std::ostream& err) {
    CheckOptions options;
    try {
        options = parse(arguments);
    } catch (const UsageError& error) {
        err << errorMessage(error.what()) << "\nTry 'simhost --help'.\n";
        return 2;
    }
    if (options.list) {
        for (const Check& check : battery()) {
            out << check.id << "  " << check.description << '\n';
        }
        return 0;
    }
    if (options.runOne) {
        const Check* check = findCheck(*options.runOne);
        if (check == nullptr) {
            err << errorMessage("no check named " + printable(*options.runOne)) << '\n';
            return 2;
        }
        return runOneForParent(*check, options.settings);
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
            finding.outcome = {Verdict::Skip, "the module does not open", 0};
        } else if (!loaded && check.needsLoad) {
            finding.outcome = {Verdict::Skip, "the plug-in does not load", 0};
        } else {
            finding.outcome = options.inProcess
                                  ? runCheck(check, options.settings)
                                  : runIsolated(check, options.settings, options.timeoutSeconds);
        }
        const bool failed = finding.outcome.verdict == Verdict::Fail;
        opened = opened && !(failed && std::string_view(check.id) == "opens");
        loaded = loaded && !(failed && std::string_view(check.id) == "load");
        out << line(finding) << '\n' << std::flush;
        findings.push_back(std::move(finding));
    }
    out << summary(findings) << '\n';

    try {
        if (options.junit) {
            writeJunit(findings, options.settings.module, *options.junit);
        }
        if (options.json) {
            writeJson(findings, options.settings.module, *options.json);
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
  --cycles N           load and unload cycles of the cycles check (default 100)
  --junit FILE         also write a JUnit XML report
  --json FILE          also write a JSON report

Exit status: 0 nothing failed, 1 a check failed or the module could not be checked, 2 a usage
error.
)";
}

}  // namespace simhost::check
