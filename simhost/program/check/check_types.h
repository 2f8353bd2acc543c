#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>

#include "simhost/loading/module_calls.h"

// What a check is and what it finds: the types every part of the validator shares.
namespace simhost::check {

enum class Verdict { Pass, Warn, Fail, Skip };

// What one check found: its verdict, why (or, for a pass, what it saw) and how long it took.
struct Outcome {
    Verdict verdict = Verdict::Pass;
    std::string reason;
    double milliseconds = 0;
    // When the check's process rather than the check decided the verdict (it crashed, hung, gave
    // no result or left a process running): the last call into the module it began.
    std::optional<ModuleCall> endedIn;
};

// The fewest cycles in which the cycles check can tell steady growth from a table enlarged once;
// the most it is asked for; and how many --timeout is for (it gets the time once per hundred).
inline constexpr long long kFewestCycles = 10;
inline constexpr long long kMaxCycles = 100'000;
inline constexpr long long kDefaultCycles = 100;

struct Settings {
    // Resolved once, before any module code runs: a plug-in may change the working directory.
    std::filesystem::path module;
    long long cycles = kDefaultCycles;
    // Told of every call into the module's code; null for none.
    ModuleCallWatch* watch = nullptr;
    // Told how many cycles the cycles check has finished, after each; empty for none.
    std::function<void(long long done)> cycled;
};

// One promise of the host interface, proved on a built module.
struct Check {
    const char* id;
    const char* description;
    // Whether it needs the module to load; it is skipped when loading failed.
    bool needsLoad;
    Outcome (*run)(const Settings&);
    // The mistakes it tells as warnings, which the host tolerates; none when null.
    const char* warns = nullptr;
};

// The keys a finding's verdict and reason are written under, on a child's channel and in the
// JSON report alike.
inline constexpr const char* kVerdictKey = "result";
inline constexpr const char* kReasonKey = "reason";

// "pass", "warn", "fail" or "skip", as the reports write it; and back (anything else: Fail).
const char* verdictName(Verdict verdict);
Verdict verdictNamed(const std::string& name);

}  // namespace simhost::check
