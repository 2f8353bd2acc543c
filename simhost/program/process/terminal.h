#pragma once

namespace simhost {

// What the program's standard streams are connected to.

// Whether standard input is a terminal, where a person types and a prompt helps.
bool inputIsTerminal();

// Makes a write to a pipe whose reader has gone fail as any other write does, to be told and
// cleaned up after, rather than end the program on the spot (SIGPIPE on POSIX).
void failWritesToClosedPipes();

}  // namespace simhost
