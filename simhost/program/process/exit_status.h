#pragma once

namespace simhost {

// How the program ends, for whoever started it: the one place these numbers are written.
enum ExitStatus : int {
    kSuccess = 0,
    // A load or run failure; for `simhost check`, a check failed or the module could not be
    // checked.
    kRunFailure = 1,
    kUsageError = 2,
    // A check's child whose call report channel was closed or taken over by the plug-in.
    kChannelLost = 3,
};

}  // namespace simhost
