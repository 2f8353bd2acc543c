#pragma once

#include <functional>

#include "program/check/explore/session.h"

namespace simhost::check {

// Whether a candidate session still fails the way the first one did.
using StillFails = std::function<bool(const Session&)>;

// A failing session made as short and plain as it goes while it still fails the same way: steps
// dropped, in runs and then one by one, then canvas sizes made smaller and texts plainer. At most
// `mostTrials` candidates are tried; the shortest found by then is the answer.
Session shrunk(Session failing, const StillFails& stillFails, int mostTrials = 200);

}  // namespace simhost::check
