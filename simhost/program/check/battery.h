#pragma once

#include <vector>

#include "program/check/check_types.h"

namespace simhost::check {

// Every check, in the fixed order they run and report in.
const std::vector<Check>& battery();

// Runs the check in this process and times it; a failure thrown out of it (the module's, say)
// fails it with its own words. The reason is one line, safe to show.
Outcome runCheck(const Check& check, const Settings& settings);

}  // namespace simhost::check
