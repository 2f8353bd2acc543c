#pragma once

#include <filesystem>
#include <iosfwd>
#include <optional>
#include <string>

#include "program/check/check_types.h"
#include "program/check/isolation.h"
#include "simhost/result.h"

namespace simhost::check {

// What `simhost check` was asked to do (the command line is read in program/cli/).
struct CheckOptions {
    bool list = false;
    bool inProcess = false;
    Timeout timeout;
    // Check ids, comma-separated, with wildcards (check_selection.h).
    std::optional<std::string> only;
    // A child's run of one check, for its parent.
    std::optional<std::string> runOne;
    std::optional<std::string> reportChannel;
    std::optional<std::filesystem::path> junit;
    std::optional<std::filesystem::path> json;
    // The module as the person named it, for the reports; settings.module is its resolved path.
    std::filesystem::path module;
    Settings settings;
};

// The values `simhost check` takes, refused with the reason (--only's: check_selection.h).
Result<Timeout> timeoutIn(const std::string& text);
Result<long long> cyclesIn(const std::string& text);
// A whole number from 1 to `most` (the explore check's sessions and steps).
Result<long long> atLeastOne(const std::string& text, long long most);
// The options taken together, before any check runs: a report file that is empty, is the module
// or is the other report would lose what is there.
Result<> reportFilesApart(const CheckOptions& options);

// Runs `simhost check`: the report goes to `out`, the host's own messages to `err`. Returns 0
// when nothing failed, 1 when a check failed, the module could not be checked or the report
// could not be written.
int runCheckCommand(const CheckOptions& options, std::ostream& out, std::ostream& err);

}  // namespace simhost::check
