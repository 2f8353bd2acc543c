#pragma once

#include <iosfwd>

#include "program/console.h"

namespace simhost {

// The console read from `in` while the module's file is watched and loaded again at every new
// content, until "quit" or the end of the input. Returns the exit status.
int watchSession(Console& console, std::istream& in, std::ostream& out, std::ostream& err,
                 bool inIsTerminal);

}  // namespace simhost
