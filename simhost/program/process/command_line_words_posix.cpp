#include "program/process/command_line_words.h"

namespace simhost {

std::vector<std::string> commandLineWords(int argc, char** argv) {
    // The bytes as given: file names are bytes here.
    return {argv + 1, argv + argc};
}

}  // namespace simhost
