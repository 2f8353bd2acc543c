#include <unistd.h>

#include <csignal>

#include "program/process/terminal.h"

namespace simhost {

bool inputIsTerminal() {
    return isatty(STDIN_FILENO) != 0;
}

void failWritesToClosedPipes() {
    signal(SIGPIPE, SIG_IGN);
}

}  // namespace simhost
