#include <unistd.h>

#include "program/process/terminal.h"

namespace simhost {

bool inputIsTerminal() {
    return isatty(STDIN_FILENO) != 0;
}

}  // namespace simhost
