#pragma once

#include <nlohmann/json_fwd.hpp>
#include <optional>
#include <string>

#include "simhost/loading/module_calls.h"

// What one check found, as a check's child reports it to its parent and the reports write it.
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
    // For the explore check's failure: the steps of the session it failed in, as --replay
    // takes them.
    std::optional<std::string> session;
};

// "pass", "warn", "fail" or "skip", as the reports write it; and back (anything else: Fail).
const char* verdictName(Verdict verdict);
Verdict verdictNamed(const std::string& name);

// The one way a verdict and its reason are written, on a child's channel and in the JSON report
// alike: {"reason": "...", "result": "fail"}. The report adds its own keys beside them.
nlohmann::json verdictJson(Verdict verdict, const std::string& reason);
// A verdict written so, with nothing else beside it; nothing for anything else.
std::optional<Outcome> verdictFromJson(const nlohmann::json& written);

}  // namespace simhost::check
