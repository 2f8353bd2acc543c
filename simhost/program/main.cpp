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
    // C++ streams of their own, so that a failed read of standard input reports why (a directory,
    // say) instead of passing for its end.
    std::ios::sync_with_stdio(false);
    std::cin.exceptions(std::ios::badbit);
    // The console is read on a thread of its own in a live session: a read must not flush what
    // the host's thread is writing.
    std::cin.tie(nullptr);
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    const int status = simhost::runSimhost(arguments, std::cin, std::cout, std::cerr,
                                           isatty(fileno(stdin)) != 0);
    // A request to end that was put off to clean up ends the program now, as it asked.
    simhost::EndingSignals::endAsReceived();
    return status;
}
