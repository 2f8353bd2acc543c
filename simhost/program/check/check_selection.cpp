#include "program/check/check_selection.h"

#include <algorithm>
#include <cstddef>
#include <optional>
#include <string>

#include "program/check/battery.h"
#include "program/output/shown_text.h"

namespace simhost::check {

namespace {

constexpr std::size_t kLongestPattern = 200;
constexpr std::string_view kWildcards = "*?,";

// One name against a whole id. On a mismatch after a '*', the '*' takes one character more and
// matching goes on from there: no position of the id is tried twice for the same '*', so the
// work is at most the name's length times the id's.
bool nameMatches(std::string_view name, std::string_view id) {
    std::size_t n = 0;
    std::size_t i = 0;
    std::size_t star = std::string_view::npos;
    std::size_t resumeAt = 0;
    while (i < id.size()) {
        if (n < name.size() && (name[n] == '?' || name[n] == id[i])) {
            ++n;
            ++i;
        } else if (n < name.size() && name[n] == '*') {
            star = n++;
            resumeAt = i;
        } else if (star != std::string_view::npos) {
            n = star + 1;
            i = ++resumeAt;
        } else {
            return false;
        }
    }
    while (n < name.size() && name[n] == '*') {
        ++n;
    }
    return n == name.size();
}

template <typename Each>
void forEachName(std::string_view pattern, Each each) {
    for (std::size_t start = 0;;) {
        const std::size_t comma = pattern.find(',', start);
        each(pattern.substr(start, comma - start));
        if (comma == std::string_view::npos) {
            return;
        }
        start = comma + 1;
    }
}

bool inAnId(char c) {
    return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-';
}

}  // namespace

bool selects(std::string_view pattern, std::string_view id) {
    bool found = false;
    forEachName(pattern, [&](std::string_view name) { found = found || nameMatches(name, id); });
    return found;
}

Result<> patternSelectsChecks(const std::string& pattern) {
    if (pattern.size() > kLongestPattern) {
        return refuse("the pattern is longer than " + std::to_string(kLongestPattern) +
                      " characters");
    }
    if (!std::all_of(pattern.begin(), pattern.end(), [](char c) {
            return inAnId(c) || kWildcards.find(c) != std::string_view::npos;
        })) {
        return refuse(printable(pattern) +
                      " is not a list of check ids: lower-case letters, digits and '-', with '*' "
                      "and '?' as wildcards and ',' between names");
    }
    // Each name on its own: a misspelt one among others would leave its check out unseen.
    std::optional<std::string> unmatched;
    forEachName(pattern, [&](std::string_view name) {
        const auto& checks = battery();
        if (!unmatched && std::none_of(checks.begin(), checks.end(), [&](const Check& check) {
                return nameMatches(name, check.id);
            })) {
            unmatched = std::string(name);
        }
    });
    if (unmatched) {
        return refuse(printable(*unmatched) + " matches no check; --list names them");
    }
    return {};
}

}  // namespace simhost::check
