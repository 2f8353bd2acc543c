#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

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
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    return simhost::runSimhost(arguments, std::cin, std::cout, std::cerr,
                               isatty(fileno(stdin)) != 0);
}
