#pragma once

#include <iosfwd>
#include <vector>

#include "program/check/check_types.h"

namespace simhost::check {

// Every check, in the fixed order they run and report in.
const std::vector<Check>& battery();

// Runs the check in this process and times it; a failure thrown out of it (the module's, say)
// fails it with its own words. The reason is one line, safe to show.
Outcome runCheck(const Check& check, const Settings& settings);

// runCheck, with every call between host and plug-in written to the trace the settings ask for,
// if any: headed "check ID", the module's calls passed on to the settings' own watch. A trace
// that cannot be written fails the check. "-" is `standardError`.
Outcome runTraced(const Check& check, Settings settings, std::ostream& standardError);

}  // namespace simhost::check
