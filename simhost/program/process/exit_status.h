#pragma once

namespace simhost {

// How the program ends, for whoever started it: the one place these numbers are written.
enum ExitStatus : int {
    kSuccess = 0,
    // A load or run failure; for `simhost check`, a check failed or the module could not be
    // checked.
    kRunFailure = 1,
    kUsageError = 2,
};

}  // namespace simhost
