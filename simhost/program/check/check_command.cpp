#include "program/check/check_command.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <optional>
#include <ostream>
#include <system_error>
#include <utility>
#include <vector>

#include "program/check/battery.h"
#include "program/check/check_selection.h"
#include "program/check/checks.h"
#include "program/check/child/call_report.h"
#include "program/check/child/started_child.h"
#include "program/check/report.h"
#include "program/check/shortest_replay.h"
#include "program/output/error_message.h"
#include "program/output/shown_text.h"
#include "program/process/ending_signals.h"
#include "program/process/exit_guard.h"
#include "program/process/exit_status.h"
#include "program/values/number_parsers.h"
#include "simhost/host_error.h"
#include "simhost/loading/module_file_check.h"
#include "simhost/services/console_variable.h"

namespace simhost::check {

namespace {

constexpr double kMaxTimeout = 3600;

// Where writing to a path lands: its links followed, a dangling one to the file it would make.
std::filesystem::path landing(std::filesystem::path path) {
    std::error_code error;
    path = std::filesystem::absolute(path, error);
    // As many links as the system itself follows before it gives up.
    for (int hops = 0; hops < 40 && std::filesystem::is_symlink(path, error); ++hops) {
        const std::filesystem::path target = std::filesystem::read_symlink(path, error);
        if (error) {
            break;
        }
        path = target.is_absolute() ? target : path.parent_path() / target;
    }
    return std::filesystem::weakly_canonical(path, error);
}

// The same file, however each is named; a file that does not exist yet is its name.
bool sameFile(const std::filesystem::path& a, const std::filesystem::path& b) {
    std::error_code error;
    if (std::filesystem::equivalent(a, b, error) && !error) {
        return true;
    }
    return landing(a) == landing(b);
}

const Check* findCheck(const std::string& id) {
    const auto& checks = battery();
    const auto found = std::find_if(checks.begin(), checks.end(),
                                    [&id](const Check& check) { return id == check.id; });
    return found == checks.end() ? nullptr : &*found;
}

// Whether the opens check's failure means the module does not open: a module that ends its
// process while it is closed had opened.
bool notOpened(const Outcome& outcome) {
    return outcome.verdict == Verdict::Fail &&
           !(outcome.endedIn && *outcome.endedIn == ModuleCall::Close);
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

Result<Timeout> timeoutIn(const std::string& text) {
    const DecimalNumber read = readDecimal(text);
    const double seconds = read.value;
    if (read.problem != ValueChange::Taken || !(seconds > 0) || seconds > kMaxTimeout) {
        return refuse(printable(text) + " is not a number of seconds above 0, at most 3600");
    }
    return Timeout{seconds, text};
}

Result<long long> cyclesIn(const std::string& text) {
    auto cycles = parseCount(text, kMaxCycles);
    if (cycles && *cycles < kFewestCycles) {
        return refuse(printable(text) + " cannot show growth; at least " +
                      std::to_string(kFewestCycles) + " are needed");
    }
    return cycles;
}

Result<long long> atLeastOne(const std::string& text, long long most) {
    auto count = parseCount(text, most);
    if (count && *count < 1) {
        return refuse(printable(text) + " is not a whole number from 1 to " + std::to_string(most));
    }
    return count;
}

Result<> reportFilesApart(const CheckOptions& options) {
    for (const auto& [option, file] :
         {std::pair{"--junit", &options.junit}, std::pair{"--json", &options.json}}) {
        if (!*file) {
            continue;
        }
        if ((*file)->empty()) {
            return refuse(std::string(option) + ": the file name is empty");
        }
        if (!options.module.empty() && sameFile(**file, options.module)) {
            return refuse(std::string(option) + ": " + printable((*file)->string()) +
                          " is the module being checked");
        }
    }
    if (options.junit && options.json && sameFile(*options.junit, *options.json)) {
        return refuse("--json: " + printable(options.json->string()) +
                      " is the --junit report's file too");
    }
    return {};
}

namespace {

int listChecks(std::ostream& out, std::ostream& err) {
    for (const Check& check : battery()) {
        out << check.id << "  " << check.description << '\n';
        if (check.warns != nullptr) {
            out << std::string(std::string_view(check.id).size() + 2, ' ')
                << "warns of: " << check.warns << '\n';
        }
    }
    out << "A warning tells a mistake the host tolerates: it does not fail the check.\n";
    return reportLost(out, err) ? kRunFailure : kSuccess;
}

// Runs the check once, isolated or not; a child traces to a file of its own where the trace goes
// to standard error, which is passed on once the child is done.
Outcome runOnce(const Check& check, const CheckOptions& options, Settings settings,
                std::ostream& err) {
    if (options.inProcess) {
        return runTraced(check, settings, err);
    }
    if (!settings.trace || *settings.trace != "-") {
        return runIsolated(check, settings, options.timeout);
    }
    const auto file = std::filesystem::temp_directory_path() / ("simhost-trace-" + freshToken());
    settings.trace = file;
    Outcome outcome = runIsolated(check, settings, options.timeout);
    std::ifstream written(file, std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(written)),
                           std::istreambuf_iterator<char>());
    err << text;
    written.close();
    std::error_code ignored;
    std::filesystem::remove(file, ignored);
    return outcome;
}

// A check that needs what an earlier one could not give is skipped, not run. A file the host
// would not open (a FIFO, a directory, a device, a module for another machine, one cut short)
// fails at once, here, with the host's own words: a child would only wait on a FIFO.
Outcome outcomeOf(const Check& check, const CheckOptions& options, bool opened, bool loaded,
                  std::ostream& err) {
    if (check.gate == Gate::Opening) {
        if (const auto fit = fitForLoading(options.settings.module); !fit) {
            return {Verdict::Fail, fit.reason(), 0, {}, {}};
        }
    } else if (!opened) {
        return {Verdict::Skip, "the module does not open", 0, {}, {}};
    }
    if (!loaded && check.needsLoad) {
        return {Verdict::Skip, "the plug-in does not load", 0, {}, {}};
    }
    const auto run = [&](const Settings& settings) {
        return runOnce(check, options, settings, err);
    };
    Outcome outcome = run(options.settings);
    if (outcome.verdict == Verdict::Fail && outcome.session && !options.settings.explore.replay) {
        outcome = withShortestReplay(std::move(outcome), run, options.settings);
    }
    return outcome;
}

int writeReports(const std::vector<Finding>& findings, const CheckOptions& options,
                 std::ostream& err) {
    try {
        if (options.junit) {
            writeJunit(findings, options.module, *options.junit);
        }
        if (options.json) {
            writeJson(findings, options.module, *options.json);
        }
    } catch (const HostError& error) {
        err << errorMessage(error) << '\n';
        return kRunFailure;
    }
    const bool anyFailed = std::any_of(findings.begin(), findings.end(), [](const Finding& f) {
        return f.outcome.verdict == Verdict::Fail;
    });
    return anyFailed ? kRunFailure : kSuccess;
}

// Runs the chosen checks in the battery's order, a line for each as it ends, then the summary
// and the report files.
int runBattery(const CheckOptions& options, std::ostream& out, std::ostream& err) {
    std::vector<Finding> findings;
    bool opened = true;
    bool loaded = true;
    for (const Check& check : battery()) {
        if (options.only && !selects(*options.only, check.id)) {
            continue;
        }
        Finding finding{check.id, check.description,
                        outcomeOf(check, options, opened, loaded, err)};
        if (EndingSignals::received() != 0) {
            return kRunFailure;  // the program ends as the request asks, once unwound
        }
        opened = opened && !(check.gate == Gate::Opening && notOpened(finding.outcome));
        loaded = loaded && !(check.gate == Gate::Loading && notLoaded(finding.outcome));
        out << line(finding) << '\n';
        if (reportLost(out, err)) {
            return kRunFailure;
        }
        findings.push_back(std::move(finding));
    }
    out << summary(findings) << '\n';
    if (reportLost(out, err)) {
        return kRunFailure;
    }
    return writeReports(findings, options, err);
}

}  // namespace

int runCheckCommand(const CheckOptions& options, std::ostream& out, std::ostream& err) {
    if (options.list) {
        return listChecks(out, err);
    }
    if (options.runOne) {
        const Check* check = findCheck(*options.runOne);
        if (check == nullptr) {
            err << errorMessage("no check named " + printable(*options.runOne)) << '\n';
            return kUsageError;
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
        if (const std::string why = containmentShortfall(); !why.empty()) {
            err << "simhost: no pid namespace for the checks here (" << why
                << "): each runs in a process group of its own, which a process that leaves "
                   "it can outlast\n";
        }
    }
    return runBattery(options, out, err);
}

}  // namespace simhost::check
