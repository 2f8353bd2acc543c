#pragma once

#include <filesystem>
#include <iosfwd>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "simhost/host.h"
#include "tools/private_copies.h"

namespace simhost {

// The host's console as a player uses it: variables by name, draws, the canvas size,
// screenshots and the plug-in given on the command line. Answers and errors go to `messages`;
// what modules log goes to the host's log.
class Console {
public:
    // What running a line did: the session goes on, goes on after a failure, or ends.
    enum class Ran { Done, Failed, Quit };

    // The most draws one "draw N" runs.
    static constexpr long long kMaxDrawsPerCommand = 100'000;

    // The module's file is resolved now, once: a plug-in may change the working directory.
    Console(Host& host, std::filesystem::path module, std::ostream& messages);

    // Runs every command of the line in order; Failed when any of them failed, Quit at "quit".
    Ran run(std::string_view line);
    // Sets the variable as typing its name and the value would, whatever its name holds.
    Ran set(ConsoleVariable& variable, const std::string& value);

    // Loads the module given on the command line; false (with the reason told) if it fails.
    bool loadModule();
    // Unloads the module if it is loaded and loads the file again; false (with the reason told)
    // if that fails, and then no module is loaded.
    bool reload();
    // The same, saying what it has to say to `told` instead: for a watch that waits to see
    // whether a failure lasts.
    bool reload(std::ostream& told);
    // Where the console's answers and errors go.
    std::ostream& messages() const { return *messages_; }
    // Unloads the module if it is loaded; false (with the reason told) when it failed on the way
    // out, though it is unloaded all the same.
    bool unloadModule();
    // Unloads the module after a failure of its own, told with the reason.
    void dropModule(const std::string& why);
    // From now on loads fresh copies of the module file rather than the file itself, so that the
    // file can be rebuilt while the module runs. Errors still name the file.
    void usePrivateCopies(PrivateCopies& copies) { copies_ = &copies; }

    // The module as it was named, for people; and the file it is loaded from.
    const std::filesystem::path& module() const { return module_; }
    const std::filesystem::path& file() const { return file_; }
    // The module loaded from the file, if it is loaded.
    const LoadedModule* loaded() const;

private:
    using Words = std::vector<std::string>;

    Ran execute(const Words& words);
    Ran help();
    Ran listVariables();
    Ran variable(ConsoleVariable& variable, const Words& words);
    Ran draw(const Words& words);
    Ran size(const Words& words);
    Ran screenshot(const Words& words);
    Ran plugin(const Words& words);
    Ran fail(const std::string& cause);
    // Tells a failure of the module's or the host's on the messages stream.
    void told(const HostError& error);
    // The loaded module's variables, by name with their texts.
    std::map<std::string, std::string> ownVariables() const;
    // What the host made of the loaded module's defaults, told as check tells it.
    void tellDefaults();
    // The error as the person named the file.
    HostError named(const HostError& error) const;

    Host& host_;
    std::filesystem::path module_;
    std::filesystem::path file_;
    std::optional<ModuleId> loaded_;
    PrivateCopies* copies_ = nullptr;
    std::ostream* messages_;
};

}  // namespace simhost
