#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace simhost::check {

// `simhost check [OPTION]... MODULE`, given the arguments after "check". The report goes to
// `out`, usage errors to `err`. Returns 0 when nothing failed, 1 when a check failed or the module
// could not be checked, 2 for a usage error.
int runCheckCommand(const std::vector<std::string>& arguments, std::ostream& out,
                    std::ostream& err);

std::string checkUsage();

}  // namespace simhost::check
