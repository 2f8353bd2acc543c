#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "program/check/check_types.h"
#include "simhost/loading/module_calls.h"

namespace simhost::check {

// What a check's child tells its parent on a channel of its own, one line each: every call into
// the module as it is made, then the outcome, signed with the token the parent handed it before
// the module was opened.
//   call onload
//   result 1f0c9a27d3e84b65 {"verdict":"pass","reason":"...","milliseconds":1.5}
std::string callLine(ModuleCall call);
std::string resultLine(const Outcome& outcome, std::string_view token);

// The channel as the parent read it.
struct CallReport {
    // The last call the child began.
    std::optional<ModuleCall> lastCall;
    // The child's outcome, when it got as far as signing one.
    std::optional<Outcome> outcome;
    // Something other than the child's check wrote on the channel: a line of no known form, a
    // result without the token, or anything after the result.
    bool foreign = false;
};
CallReport readCallReport(std::string_view channel, std::string_view token);

// A token no plug-in can guess.
std::string freshToken();

}  // namespace simhost::check
