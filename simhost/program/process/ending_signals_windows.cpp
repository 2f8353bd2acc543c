#include <windows.h>

#include <atomic>
#include <csignal>

#include "program/process/ending_signals.h"

namespace simhost {

namespace {

std::atomic<int> noted{0};

BOOL WINAPI note(DWORD event) {
    int signal = 0;
    switch (event) {
        case CTRL_C_EVENT:
        case CTRL_BREAK_EVENT:
            signal = SIGINT;
            break;
        case CTRL_CLOSE_EVENT:
        case CTRL_LOGOFF_EVENT:
        case CTRL_SHUTDOWN_EVENT:
            signal = SIGTERM;
            break;
        default:
            return FALSE;
    }
    int none = 0;
    // The first request is noted; a second one goes on to the system's handler, which ends the
    // program at once.
    return noted.compare_exchange_strong(none, signal) ? TRUE : FALSE;
}

}  // namespace

EndingSignals::EndingSignals() {
    SetConsoleCtrlHandler(note, TRUE);
}

EndingSignals::~EndingSignals() {
    SetConsoleCtrlHandler(note, FALSE);
}

int EndingSignals::received() noexcept {
    return noted.load();
}

void EndingSignals::endAsReceived() {
    if (noted.load() == 0) {
        return;
    }
    // What a console program ended by Ctrl-C returns.
    constexpr UINT kControlCExit = 0xC000013AU;
    ExitProcess(kControlCExit);
}

}  // namespace simhost
