#pragma once

#include <optional>
#include <string>

#include "program/console/console.h"
#include "program/console/console_session.h"
#include "tools/file_watch.h"

namespace simhost {

// Loads the console's module again whenever its file has a new content. The variables stay, so
// the new module comes up with the values the old one left. A file that will not load is told in
// one line by the console once it has kept still for kLasting, so that a linker pausing between
// pieces is not told as a failure; the host goes on without a module until the next content.
class ModuleWatch final : public BetweenTurns {
public:
    static constexpr std::chrono::seconds kLasting{2};

    ModuleWatch(Console& console, FileWatch::Clock::time_point now);

    // Looks at the file; true when the module was loaded again.
    bool poll(FileWatch::Clock::time_point now);
    // Between console turns: looks now; never ends the session.
    std::optional<int> look() override;

private:
    // A load that failed, held back until the content it failed on has lasted.
    struct Held {
        std::string told;
        FileWatch::Clock::time_point since;
    };

    Console& console_;
    FileWatch watch_;
    std::optional<Held> held_;
};

}  // namespace simhost
