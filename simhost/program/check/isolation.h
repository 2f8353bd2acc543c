#pragma once

#include <string>
#include <string_view>

#include "program/check/check_types.h"

namespace simhost::check {

// How long one isolated check may take, and how the person gave it.
struct Timeout {
    double seconds = 10;
    std::string given = "10";
};

// The time a check may take: --timeout, or that once per hundred cycles or sessions asked of the
// checks that repeat as asked (the cycles check, the explore check), so that asking for more is
// not asking for a timeout.
Timeout allowed(const Check& check, const Settings& settings, const Timeout& timeout);

// Runs the check in a fresh child process, this program started again with `--run-one`, which
// loads the module anew. A crash, an abort, a hang past the timeout or an end without a result
// fails the check, named with the call into the module it ended in and the child's last words;
// so does a process the plug-in left running. The result comes on a channel of its own, signed,
// so that nothing the plug-in writes can pass for it. The caller goes on with the next check.
// An interrupted run (EndingSignals) ends with the child and everything it started gone.
Outcome runIsolated(const Check& check, const Settings& settings, const Timeout& timeout);

// The child's side: takes its token, runs the check with every call into the module told on
// the channel named `channel`, and signs the outcome there. Returns the child's exit status.
int runOneForParent(const Check& check, Settings settings, const std::string& channel);

// The options that make this program run one check for a parent.
inline constexpr std::string_view kRunOne = "--run-one";
inline constexpr std::string_view kReportChannel = "--report-channel";

}  // namespace simhost::check
