#include <iostream>
#include <string>
#include <vector>

#include "program/cli/program.h"
#include "program/process/command_line_words.h"
#include "program/process/ending_signals.h"
#include "program/process/terminal.h"

int main(int argc, char** argv) {
    simhost::prepareStandardStreams();
    const std::vector<std::string> arguments = simhost::commandLineWords(argc, argv);
    const int status =
        simhost::runSimhost(arguments, std::cin, std::cout, std::cerr, simhost::inputIsTerminal());
    // A request to end that was put off to clean up ends the program now, as it asked.
    simhost::EndingSignals::endAsReceived();
    return status;
}
