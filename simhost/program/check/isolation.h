#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "program/check/battery.h"

namespace simhost::check {

// Runs the check in a fresh child process, this program started again with `--run-one`, which
// loads the module anew. A crash, an abort or a hang past the timeout fails the check with the
// signal, the last words on standard error, or "timed out"; the caller goes on.
Outcome runIsolated(const Check& check, const Settings& settings, double timeoutSeconds);

// The child's side: runs the check and writes its outcome as the one line the parent reads.
int runOneForParent(const Check& check, const Settings& settings);

// The arguments that make this program run one check for a parent.
inline constexpr std::string_view kRunOne = "--run-one";

}  // namespace simhost::check
