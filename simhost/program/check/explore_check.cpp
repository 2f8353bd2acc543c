// The explore check: random host sessions from a seed, the module held to the host's contract
// after every step.
#include <string>

#include "program/check/checks.h"
#include "program/check/explore/session_host.h"
#include "program/check/explore/session_maker.h"
#include "program/check/memory_growth.h"
#include "program/values/counting.h"

namespace simhost::check {

namespace {

// "step 3 of 5 (draw 7x1): a draw failed: ...": the step, then what broke. The replay's
// shrinking tells one fault from another by what follows the step.
std::string stepFailure(std::size_t at, std::size_t of, const Step& step, const Broken& broken) {
    return "step " + std::to_string(at + 1) + " of " + std::to_string(of) + " (" + stepText(step) +
           "): " + broken.text();
}

Outcome failedIn(const Session& session, std::string reason) {
    Outcome outcome = fail(std::move(reason));
    outcome.session = sessionText(session);
    return outcome;
}

Outcome replay(const Settings& settings, const std::string& text) {
    auto session = parseSession(text);
    if (!session) {
        return fail("--replay: " + session.reason());
    }
    SessionHost host(settings.module, settings.watches, !kSanitizedAllocator);
    for (std::size_t at = 0; at < session->size(); ++at) {
        const Step& step = (*session)[at];
        if (settings.stepping) {
            settings.stepping(0, stepText(step));
        }
        if (const auto broken = host.take(step)) {
            return failedIn(*session, stepFailure(at, session->size(), step, *broken));
        }
    }
    return pass("the replay's " + counted(session->size(), "step holds", "steps hold"));
}

}  // namespace

Outcome explore(const Settings& settings) {
    const Exploration& plan = settings.explore;
    if (plan.replay) {
        return replay(settings, *plan.replay);
    }
    for (long long number = 1; number <= plan.sessions; ++number) {
        SessionMaker maker(plan.seed, number, plan.steps);
        SessionHost host(settings.module, settings.watches, !kSanitizedAllocator);
        Session taken;
        for (long long at = 0; at < maker.length(); ++at) {
            taken.push_back(maker.next(host.loaded(), host.variables()));
            if (settings.stepping) {
                settings.stepping(number, stepText(taken.back()));
            }
            if (const auto broken = host.take(taken.back())) {
                return failedIn(taken, "seed " + std::to_string(plan.seed) + ", session " +
                                           std::to_string(number) + ": " +
                                           stepFailure(taken.size() - 1,
                                                       static_cast<std::size_t>(maker.length()),
                                                       taken.back(), *broken));
            }
        }
    }
    return pass(counted(static_cast<std::size_t>(plan.sessions), "session", "sessions") +
                " of up to " + counted(static_cast<std::size_t>(plan.steps), "step", "steps") +
                " from seed " + std::to_string(plan.seed));
}

}  // namespace simhost::check
