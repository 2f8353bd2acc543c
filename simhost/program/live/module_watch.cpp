#include "program/live/module_watch.h"

namespace simhost {

ModuleWatch::ModuleWatch(Console& console, FileWatch::Clock::time_point now)
    : console_(console), watch_(console.file(), now) {}

bool ModuleWatch::poll(FileWatch::Clock::time_point now) {
    return watch_.poll(now) && console_.reload();
}

std::optional<int> ModuleWatch::look() {
    poll(FileWatch::Clock::now());
    return std::nullopt;
}

}  // namespace simhost
