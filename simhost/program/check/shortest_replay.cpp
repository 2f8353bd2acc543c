#include "program/check/shortest_replay.h"

#include <algorithm>
#include <utility>

#include "program/check/explore/shrink.h"
#include "program/values/counting.h"

namespace simhost::check {

namespace {

// Candidates a hang may cost: each waits out the whole timeout.
constexpr int kMostHangingTrials = 6;

// A word for a POSIX shell: single quotes, a quote inside closed, escaped and reopened.
std::string shellWord(std::string_view text) {
    std::string quoted = "'";
    for (const char c : text) {
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return quoted + "'";
}

}  // namespace

std::string failureKind(std::string_view reason) {
    if (const auto step = reason.find("step "); step != std::string_view::npos) {
        if (const auto close = reason.find("): ", step); close != std::string_view::npos) {
            reason.remove_prefix(close + 3);
        }
    }
    return std::string(reason.substr(0, std::min(reason.find(": "), reason.find("; "))));
}

Outcome withShortestReplay(Outcome found, const std::function<Outcome(const Settings&)>& run,
                           const Settings& settings) {
    const auto session = parseSession(*found.session);
    if (!session) {
        return found;
    }
    const std::string kind = failureKind(found.reason);
    const StillFails stillFails = [&](const Session& candidate) {
        Settings replaying = settings;
        replaying.explore.replay = sessionText(candidate);
        replaying.trace.reset();  // the candidates' calls would bury the run's own
        const Outcome outcome = run(replaying);
        return outcome.verdict == Verdict::Fail && failureKind(outcome.reason) == kind;
    };
    if (!stillFails(*session)) {
        found.reason +=
            "; replayed alone, its session does not fail the same way: " + sessionText(*session);
        return found;
    }
    const int most = kind.starts_with("timed out") ? kMostHangingTrials : 200;
    const Session shortest = shrunk(*session, stillFails, most);
    found.reason += "; shortest replay, " + counted(shortest.size(), "step", "steps") +
                    ": simhost check --only explore --replay " + shellWord(sessionText(shortest)) +
                    " " + shellWord(settings.module.string());
    return found;
}

}  // namespace simhost::check
