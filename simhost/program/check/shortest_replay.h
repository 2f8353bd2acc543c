#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "program/check/check_types.h"

namespace simhost::check {

// What a failure of the explore check is, without where it was found: "a draw failed" of
// "seed 1, session 4: step 2 of 3 (draw 7x1): a draw failed: ...", and a crash or a hang as
// the parent told it, without the child's last words. Two sessions fail the same way when
// their failures are of one kind.
std::string failureKind(std::string_view reason);

// The explore check's failure with its session shrunk to the shortest that still fails the same
// way, each candidate run by `run` (a fresh child, or this process for --in-process), and the
// replay added to the reason as a command line that runs as it stands.
Outcome withShortestReplay(Outcome found, const std::function<Outcome(const Settings&)>& run,
                           const Settings& settings);

}  // namespace simhost::check
