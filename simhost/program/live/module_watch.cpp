#include "program/live/module_watch.h"

#include <ostream>
#include <sstream>

namespace simhost {

ModuleWatch::ModuleWatch(Console& console, FileWatch::Clock::time_point now)
    : console_(console), watch_(console.file(), now) {}

bool ModuleWatch::poll(FileWatch::Clock::time_point now) {
    if (watch_.poll(now)) {
        std::ostringstream told;
        const bool loaded = console_.reload(told);
        held_.reset();
        if (loaded) {
            console_.messages() << told.str();
            return true;
        }
        held_ = Held{told.str(), now};
        return false;
    }
    if (held_ && !watch_.changedSinceTaken() && now - held_->since >= kLasting) {
        console_.messages() << held_->told;
        held_.reset();
    }
    return false;
}

std::optional<int> ModuleWatch::look() {
    poll(FileWatch::Clock::now());
    return std::nullopt;
}

}  // namespace simhost
