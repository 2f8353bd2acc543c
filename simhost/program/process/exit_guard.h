#pragma once

#include <functional>
#include <string>

namespace simhost {

// A run that a call to exit() or quick_exit() must not end unnoticed: a plug-in calling it, or a
// library doing so when it loses the display. While a guard lives, such an exit writes
// "simhost: <why>" on standard error, runs the clean-up (removing private copies, say) and ends
// the program with status 1, whatever status it was given. _exit() and a crash pass no hook: no
// guard sees them. Guards are made and dropped on one thread, one at a time.
class ExitGuard {
public:
    ExitGuard(std::string why, std::function<void()> cleanUp = {});
    ExitGuard(const ExitGuard&) = delete;
    ExitGuard& operator=(const ExitGuard&) = delete;
    ~ExitGuard();

private:
    static void onExit() noexcept;

    std::string why_;
    std::function<void()> cleanUp_;
};

}  // namespace simhost
