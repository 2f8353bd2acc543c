#pragma once

#include <string>
#include <vector>

namespace simhost {

// The words the program was started with, after its own name, as UTF-8; and every narrow text
// the program later turns into a file name read as UTF-8 too. On Windows the words are read
// from the wide command line: the narrow one has already lost what the code page cannot hold.
std::vector<std::string> commandLineWords(int argc, char** argv);

}  // namespace simhost
