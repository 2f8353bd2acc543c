#pragma once

#include <string>
#include <utility>
#include <vector>

#include "program/check/check_types.h"

// The checks themselves; battery.cpp lists them in order.
namespace simhost::check {

// The module file, without loading a plug-in.
Outcome opens(const Settings& settings);
Outcome record(const Settings& settings);
Outcome baseClass(const Settings& settings);
Outcome entries(const Settings& settings);

// The plug-in loaded into a host.
Outcome load(const Settings& settings);
Outcome variables(const Settings& settings);
Outcome drawing(const Settings& settings);
Outcome unload(const Settings& settings);
Outcome release(const Settings& settings);
Outcome cycles(const Settings& settings);
Outcome moduleUnmaps(const Settings& settings);
Outcome drawCost(const Settings& settings);
// Random host sessions, or the one --replay gives.
Outcome explore(const Settings& settings);

// Verdicts with their reasons.
inline Outcome pass(std::string seen = {}) {
    return {Verdict::Pass, std::move(seen), 0, {}, {}};
}
inline Outcome warn(std::string why) {
    return {Verdict::Warn, std::move(why), 0, {}, {}};
}
inline Outcome fail(std::string why) {
    return {Verdict::Fail, std::move(why), 0, {}, {}};
}
inline Outcome skip(std::string why) {
    return {Verdict::Skip, std::move(why), 0, {}, {}};
}

// Findings in one reason: "a, b, c", or joined by what `between` says.
inline std::string joined(const std::vector<std::string>& items, const char* between = ", ") {
    std::string text;
    for (const std::string& item : items) {
        text += (text.empty() ? "" : between) + item;
    }
    return text;
}

}  // namespace simhost::check
