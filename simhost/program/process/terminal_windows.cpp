#include <io.h>

#include <cstdio>

#include "program/process/terminal.h"

namespace simhost {

bool inputIsTerminal() {
    return _isatty(_fileno(stdin)) != 0;
}

}  // namespace simhost
