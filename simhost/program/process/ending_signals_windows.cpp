#include <windows.h>

#include <atomic>
#include <csignal>

#include "program/process/ending_signals.h"

namespace simhost {

namespace {

std::atomic<int> noted{0};
std::atomic<bool> seen{false};
// What a console program ended by Ctrl-C returns.
constexpr UINT kControlCExit = 0xC000013AU;

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
    if (!noted.compare_exchange_strong(none, signal)) {
        return FALSE;
    }
    // This runs on a thread of its own: it waits for the host's thread to see the request, and
    // ends the program as it is when a plug-in's code holds that thread.
    for (int waited = 0; waited < 100 && !seen.load(); ++waited) {
        Sleep(10);
    }
    if (!seen.load()) {
        ExitProcess(kControlCExit);
    }
    return TRUE;
}

}  // namespace

EndingSignals::EndingSignals() {
    SetConsoleCtrlHandler(note, TRUE);
}

EndingSignals::~EndingSignals() {
    SetConsoleCtrlHandler(note, FALSE);
}

int EndingSignals::received() noexcept {
    const int signal = noted.load();
    if (signal != 0) {
        seen.store(true);
    }
    return signal;
}

void EndingSignals::endAsReceived() {
    if (noted.load() == 0) {
        return;
    }
    ExitProcess(kControlCExit);
}

}  // namespace simhost
