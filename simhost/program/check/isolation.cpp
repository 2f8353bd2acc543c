#include "program/check/isolation.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <iomanip>
#include <iostream>
#include <optional>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "program/check/battery.h"
#include "program/check/checks.h"
#include "program/check/child/call_report.h"
#include "program/check/child/child_process.h"
#include "program/output/shown_text.h"
#include "program/process/ending_signals.h"
#include "program/process/exit_status.h"
#include "simhost/host_error.h"

namespace simhost::check {

namespace {

std::vector<std::string> childArguments(const Check& check, const Settings& settings,
                                        const std::string& channel) {
    std::vector<std::string> words{
        "check",    std::string(kRunOne),           check.id, std::string(kReportChannel), channel,
        "--cycles", std::to_string(settings.cycles)};
    if (check.explores) {
        const Exploration& plan = settings.explore;
        words.insert(words.end(),
                     {"--seed", std::to_string(plan.seed), "--sessions",
                      std::to_string(plan.sessions), "--steps", std::to_string(plan.steps)});
        if (plan.replay) {
            words.insert(words.end(), {"--replay", *plan.replay});
        }
    }
    if (settings.trace) {
        words.insert(words.end(), {"--trace", settings.trace->string()});
    }
    words.push_back(settings.module.string());
    return words;
}

// Where a call leaves the module, for people.
const char* duringCall(ModuleCall call) {
    constexpr std::array kWhere{"while opening the module",
                                "in the creation entry",
                                "in onLoad",
                                "in a draw",
                                "in onUnload",
                                "in the release entry",
                                "while closing the module"};  // in the order of ModuleCall
    return kWhere.at(static_cast<std::size_t>(call));
}

// Where the child was when it ended: " in onLoad", and the cycle, during the cycles check.
std::string where(const CallReport& report, const Settings& settings) {
    std::string text =
        report.lastCall ? std::string(" ") + duringCall(*report.lastCall) : std::string();
    if (report.cycles > 0) {
        text += ", at cycle " + std::to_string(std::min(report.cycles + 1, settings.cycles)) +
                " of " + std::to_string(settings.cycles);
    }
    return text;
}

// "seed 1, session 4: step 3 (draw 7x1): ", the explore check's place as its channel tells it.
std::string sessionPlace(const Settings& settings, const CallReport& report) {
    std::string place =
        "step " + std::to_string(report.steps.size()) + " (" + report.steps.back() + "): ";
    if (report.session > 0) {
        place = "seed " + std::to_string(settings.explore.seed) + ", session " +
                std::to_string(report.session) + ": " + place;
    }
    return place;
}

}  // namespace

Timeout allowed(const Check& check, const Settings& settings, const Timeout& timeout) {
    const long long asked = check.timedPerHundredCycles ? settings.cycles
                            : check.explores            ? settings.explore.sessions
                                                        : 0;
    const long long hundreds = (asked + 99) / 100;
    if (hundreds <= 1) {
        return timeout;
    }
    std::ostringstream seconds;
    seconds << std::setprecision(12) << timeout.seconds * static_cast<double>(hundreds);
    return {timeout.seconds * static_cast<double>(hundreds), seconds.str()};
}

namespace {

// The last line the child wrote that has anything on it, for the reason.
std::string lastWords(const std::string& output) {
    std::size_t end = output.find_last_not_of("\r\n");
    if (end == std::string::npos) {
        return {};
    }
    const std::size_t start = output.find_last_of('\n', end);
    const std::size_t from = start == std::string::npos ? 0 : start + 1;
    return "; its last words: \"" +
           oneLine(std::string_view(output).substr(from, end + 1 - from), 200) + "\"";
}

// Tells the child's calls into the module on its channel, each as it begins. The cycles and the
// draws repeat the same call many times over: a line goes only when the call changes.
class CallMarks final : public ModuleCallWatch {
public:
    CallMarks(ReportChannel& channel, std::string token)
        : channel_(channel), token_(std::move(token)) {}

    void calling(ModuleCall call) override {
        if (!last_ || *last_ != call) {
            last_ = call;
            lost_ = !channel_.write(callLine(call, token_)) || lost_;
        }
    }
    void cycled(long long done) { lost_ = !channel_.write(cycleLine(done, token_)) || lost_; }
    void stepped(long long session, const std::string& step) {
        lost_ = !channel_.write(stepLine(session, step, token_)) || lost_;
    }
    bool lost() const { return lost_; }

private:
    ReportChannel& channel_;
    std::string token_;
    std::optional<ModuleCall> last_;
    bool lost_ = false;
};

}  // namespace

Outcome runIsolated(const Check& check, const Settings& settings, const Timeout& given) {
    const Timeout timeout = allowed(check, settings, given);
    const auto start = std::chrono::steady_clock::now();
    const std::string token = freshToken();
    ChildEnd end;
    try {
        end = runChild(
            [&](const std::string& channel) { return childArguments(check, settings, channel); },
            token, std::chrono::duration<double>(timeout.seconds));
    } catch (const HostError& error) {
        return {Verdict::Fail, "could not be run: " + error.cause(), 0, {}, {}};
    }
    const double elapsed =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    const CallReport& report = end.report;

    Outcome outcome{Verdict::Fail, {}, elapsed, {}, {}};
    const auto ended = [&](std::string why) {
        outcome.verdict = Verdict::Fail;
        outcome.reason = std::move(why);
        outcome.endedIn = report.lastCall;
    };
    // Once the channel holds a line the check did not sign, nothing on it can be believed: not
    // even where the child was when it crashed or ran out of time.
    const bool forged = report.foreign && end.how != ChildEnd::How::Interrupted;
    switch (forged ? ChildEnd::How::Exited : end.how) {
        case ChildEnd::How::Interrupted:
            ended("interrupted" + where(report, settings));
            break;
        case ChildEnd::How::TimedOut:
            ended("timed out after " + timeout.given + " s" + where(report, settings) +
                  lastWords(end.output));
            break;
        case ChildEnd::How::Crashed:
            ended(crashText(end.code) + where(report, settings) + lastWords(end.output));
            break;
        case ChildEnd::How::Exited:
            if (forged) {
                ended("something other than the check wrote on its result channel");
            } else if (!report.outcome) {
                ended("ended with status " + std::to_string(end.code) + where(report, settings) +
                      " without a result" + lastWords(end.output));
            } else if (end.code != 0) {
                ended("ended with status " + std::to_string(end.code) + " after its result" +
                      lastWords(end.output));
            } else {
                outcome = *report.outcome;
                outcome.reason = oneLine(outcome.reason);
                outcome.milliseconds = elapsed;  // one clock for every verdict: this process's
            }
            break;
    }
    if (outcome.verdict == Verdict::Fail && !forged && !report.steps.empty()) {
        outcome.session = joined(report.steps, "; ");
        if (!report.outcome) {
            // The child could not say where it was: its last step on the channel does.
            outcome.reason = sessionPlace(settings, report) + outcome.reason;
        }
    }
    if (end.leftProcesses) {
        const char* left = "the plug-in left a process running, which the check ended";
        if (outcome.verdict != Verdict::Fail) {
            ended(left);
        } else {
            outcome.reason += std::string("; ") + left;
        }
    }
    return outcome;
}

int runOneForParent(const Check& check, Settings settings, const std::string& channel) {
    prepareChild();
    // Both before the module is opened: nothing of it can run while they are taken.
    const std::string token = takeToken();
    ReportChannel reports(channel);
    CallMarks marks(reports, token);
    settings.watches.calls = &marks;
    settings.cycled = [&marks](long long done) { marks.cycled(done); };
    settings.stepping = [&marks](long long session, const std::string& step) {
        marks.stepped(session, step);
    };
    const Outcome outcome = runTraced(check, settings, std::cerr);
    if (marks.lost() || !reports.write(resultLine(outcome, token))) {
        std::cerr << "simhost: the check's result channel was closed or taken over\n";
        return kChannelLost;
    }
    return kSuccess;
}

}  // namespace simhost::check
