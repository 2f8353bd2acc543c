#pragma once

#include <filesystem>
#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "simhost/host.h"
#include "simhost/loading/private_copies.h"

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
    // Unloads the module if it is loaded and loads the file again; false (with the reason told)
    // if that fails, and then no module is loaded.
    bool reload();
    // From now on loads fresh copies of the module file rather than the file itself, so that the
    // file can be rebuilt while the module runs. Errors still name the file.
    void usePrivateCopies(PrivateCopies& copies) { copies_ = &copies; }

    const std::filesystem::path& module() const { return module_; }
    // The module loaded from the file, if it is loaded.
    const LoadedModule* loaded() const;

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
    bool unloadModule();

    Host& host_;
    std::filesystem::path module_;
    std::optional<ModuleId> loaded_;
    PrivateCopies* copies_ = nullptr;
    std::ostream& messages_;
};

// What the program says when there is no memory for a canvas of that size.
std::string canvasOutOfMemory(Vector2 size);

}  // namespace simhost
