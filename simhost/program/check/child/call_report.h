#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "program/check/child/channel_reader.h"
#include "program/check/child/outcome.h"
#include "simhost/loading/module_calls.h"

namespace simhost::check {

// What a check's child tells its parent on a channel of its own, one line each: every call into
// the module as it is made, then the outcome. Each line is signed with the token the parent
// handed the child before the module was opened. How long the check took is the parent's to
// measure.
//   1f0c9a27d3e84b65 call onLoad
//   1f0c9a27d3e84b65 cycle 34312
//   1f0c9a27d3e84b65 step 12 draw 7x1
//   1f0c9a27d3e84b65 result {"result":"pass","reason":"..."}
// A cycle line tells that the cycles check has finished that many of its cycles; a step line,
// the step the explore check takes next, and in which of its sessions.
std::string callLine(ModuleCall call, std::string_view token);
std::string cycleLine(long long done, std::string_view token);
std::string stepLine(long long session, std::string_view step, std::string_view token);
std::string resultLine(const Outcome& outcome, std::string_view token);

// The fewest cycles in which the cycles check can tell steady growth from a table enlarged once;
// the most it is asked for; and how many --timeout is for (it gets the time once per hundred).
inline constexpr long long kFewestCycles = 10;
inline constexpr long long kMaxCycles = 100'000;
inline constexpr long long kDefaultCycles = 100;
// The most steps one session of the explore check holds, and the most sessions it is asked for.
inline constexpr long long kMostSteps = 64;
inline constexpr long long kMostSessions = 100'000;

// The channel as the parent read it.
struct CallReport {
    // The last call the child began.
    std::optional<ModuleCall> lastCall;
    // The cycles the child had finished, when it ran the cycles check.
    long long cycles = 0;
    // The steps of the explore check's session in progress, each as the check wrote it.
    long long session = -1;
    std::vector<std::string> steps;
    // The child's outcome, when it got as far as signing one.
    std::optional<Outcome> outcome;
    // Something other than the child's check wrote on the channel: a line without the token or
    // of no known form, a line longer than kReportLineKept, or anything after the result.
    bool foreign = false;
};

// The channel read a line at a time as it comes, so that the memory it takes stays within one
// line however long the child goes on: a long cycles check tells megabytes of calls.
class CallReportReader final : public ChannelReader {
public:
    explicit CallReportReader(std::string token) : token_(std::move(token)) {}

    void add(const char* bytes, std::size_t count) override;
    // The report, once the channel has been read to its end.
    CallReport finish() &&;

private:
    void take(std::string_view line);
    // A step line's session and step; false for one of no known form.
    bool takeStep(std::string_view line);

    std::string token_;
    std::string partial_;
    CallReport report_;
};

// A token no plug-in can guess.
std::string freshToken();

}  // namespace simhost::check
