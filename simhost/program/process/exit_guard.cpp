#include "program/process/exit_guard.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <mutex>

#include "program/process/exit_status.h"

namespace simhost {

namespace {

std::atomic<ExitGuard*> armed{nullptr};

}  // namespace

ExitGuard::ExitGuard(std::string why, std::function<void()> cleanUp)
    : why_(std::move(why)), cleanUp_(std::move(cleanUp)) {
    static std::once_flag registered;
    std::call_once(registered, [] {
        std::atexit(onExit);
        std::at_quick_exit(onExit);
    });
    armed.store(this);
}

ExitGuard::~ExitGuard() {
    armed.store(nullptr);
}

void ExitGuard::onExit() noexcept {
    ExitGuard* guard = armed.exchange(nullptr);
    if (guard == nullptr) {
        return;
    }
    std::fflush(stdout);
    std::fprintf(stderr, "simhost: %s\n", guard->why_.c_str());
    std::fflush(stderr);
    if (guard->cleanUp_) {
        try {
            guard->cleanUp_();
        } catch (...) {
            // Ending all the same.
        }
    }
    std::_Exit(kRunFailure);
}

}  // namespace simhost
