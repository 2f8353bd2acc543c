#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace simhost {

// The simhost program: `arguments` without the program's name. The console log goes to `out`,
// the host's own messages to `err`; `in` is read with --interactive, with a prompt when it is a
// terminal. Returns the exit status: 0 success, 1 a load or run failure, 2 a usage error.
int runSimhost(const std::vector<std::string>& arguments, std::istream& in, std::ostream& out,
               std::ostream& err, bool inIsTerminal);

// Sets the standard streams up for the program, before anything is read or written.
void prepareStandardStreams();

}  // namespace simhost
