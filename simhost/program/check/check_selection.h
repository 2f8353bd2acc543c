#pragma once

#include <string>
#include <string_view>

#include "simhost/result.h"

// Which checks `--only` chooses: names of checks, comma-separated, each matched against a whole
// check id, with '*' standing for any run of characters and '?' for any one. Matching takes time
// in proportion to the pattern and the id, whatever the pattern: a pattern cannot hold simhost.
namespace simhost::check {

// Refuses a pattern that is too long, holds a character no check id has (other than the
// wildcards and commas), or has a name that matches no check.
Result<> patternSelectsChecks(const std::string& pattern);

// Whether one of the pattern's names matches `id`.
bool selects(std::string_view pattern, std::string_view id);

}  // namespace simhost::check
