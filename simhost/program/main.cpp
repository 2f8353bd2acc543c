#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include "program/ending_signals.h"
#include "program/program.h"

#if defined(_WIN32)
#include <io.h>
#define isatty _isatty
#define fileno _fileno
#else
#include <unistd.h>
#endif

int main(int argc, char** argv) {
    simhost::prepareStandardStreams();
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    const int status = simhost::runSimhost(arguments, std::cin, std::cout, std::cerr,
                                           isatty(fileno(stdin)) != 0);
    // A request to end that was put off to clean up ends the program now, as it asked.
    simhost::EndingSignals::endAsReceived();
    return status;
}
