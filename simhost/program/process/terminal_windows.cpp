#include <io.h>

#include <cstdio>

#include "program/process/terminal.h"

namespace simhost {

bool inputIsTerminal() {
    return _isatty(_fileno(stdin)) != 0;
}

void failWritesToClosedPipes() {
    // A write to a closed pipe fails on Windows as it is.
}

}  // namespace simhost
