#pragma once

#include <filesystem>
#include <iosfwd>
#include <string>
#include <vector>

#include "program/check/check_types.h"

namespace simhost::check {

struct Finding {
    std::string id;
    std::string description;
    Outcome outcome;
};

// "PASS id (12 ms)", "WARN id: reason", "FAIL id: reason" or "SKIP id: reason".
std::string line(const Finding& finding);
// "N passed, M failed", then ", K warnings" and ", S skipped" when there are any.
std::string summary(const std::vector<Finding>& findings);

// The reports CI dashboards read. Throw HostError naming the file when it cannot be written.
void writeJunit(const std::vector<Finding>& findings, const std::filesystem::path& module,
                const std::filesystem::path& file);
void writeJson(const std::vector<Finding>& findings, const std::filesystem::path& module,
               const std::filesystem::path& file);

// Text made safe inside XML attributes and elements.
std::string xmlEscaped(const std::string& text);

}  // namespace simhost::check
