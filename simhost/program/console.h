#pragma once

#include <filesystem>
#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "simhost/host.h"

namespace simhost {

// The host's console as a player uses it: variables by name, draws, the canvas size,
// screenshots and the plug-in given on the command line. Answers and errors go to `messages`;
// what modules log goes to the host's log.
class Console {
public:
    enum class Outcome { Done, Failed, Quit };

    // The most draws one "draw N" runs.
    static constexpr long long kMaxDrawsPerCommand = 100'000;

    Console(Host& host, std::filesystem::path module, std::ostream& messages);

    // Runs every command of the line in order; Failed when any of them failed, Quit at "quit".
    Outcome run(std::string_view line);

    // Loads the module given on the command line; false (with the reason told) if it fails.
    bool loadModule();

private:
    using Words = std::vector<std::string>;

    Outcome execute(const Words& words);
    Outcome help();
    Outcome listVariables();
    Outcome variable(ConsoleVariable& variable, const Words& words);
    Outcome draw(const Words& words);
    Outcome size(const Words& words);
    Outcome screenshot(const Words& words);
    Outcome plugin(const Words& words);
    Outcome fail(const std::string& cause);

    Host& host_;
    std::filesystem::path module_;
    std::optional<ModuleId> loaded_;
    std::ostream& messages_;
};

// What the program says when there is no memory for a canvas of that size.
std::string canvasOutOfMemory(Vector2 size);

}  // namespace simhost
