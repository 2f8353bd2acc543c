#include <pthread.h>
#include <unistd.h>

#include <array>
#include <csignal>
#include <cstdlib>

#include "program/process/ending_signals.h"

namespace simhost {

namespace {

constexpr std::array kEnding{SIGINT, SIGTERM, SIGHUP, SIGQUIT};
std::array<struct sigaction, kEnding.size()> before{};
std::array<bool, kEnding.size()> taken{};
volatile std::sig_atomic_t noted = 0;
volatile std::sig_atomic_t seen = 0;
// How long the host's thread has to see a request before it ends the program as it is.
constexpr unsigned kSeeWithinSeconds = 1;

void fallBack(int signal) {
    struct sigaction plain {};
    plain.sa_handler = SIG_DFL;
    sigemptyset(&plain.sa_mask);
    sigaction(signal, &plain, nullptr);
}

// Ends the program as the request asks, from any thread.
void endNow(int signal) {
    fallBack(signal);
    sigset_t only;
    sigemptyset(&only);
    sigaddset(&only, signal);
    pthread_sigmask(SIG_UNBLOCK, &only, nullptr);
    raise(signal);
    std::_Exit(128 + signal);
}

extern "C" void overdue(int /*alarm*/) {
    if (seen == 0) {
        endNow(noted);  // the host's thread is held in a plug-in's code
    }
}

extern "C" void note(int signal) {
    noted = signal;
    fallBack(signal);  // the next one is not asked twice
    struct sigaction handler {};
    handler.sa_handler = overdue;
    sigemptyset(&handler.sa_mask);
    sigaction(SIGALRM, &handler, nullptr);
    alarm(kSeeWithinSeconds);
}

}  // namespace

EndingSignals::EndingSignals() {
    for (std::size_t i = 0; i < kEnding.size(); ++i) {
        struct sigaction current {};
        sigaction(kEnding[i], nullptr, &current);
        if (current.sa_handler == SIG_IGN) {
            continue;  // started not to hear it (nohup): it stays unheard
        }
        struct sigaction handler {};
        handler.sa_handler = note;
        // A console line being read goes on being read.
        handler.sa_flags = SA_RESTART;
        sigemptyset(&handler.sa_mask);
        taken[i] = sigaction(kEnding[i], &handler, &before[i]) == 0;
    }
}

EndingSignals::~EndingSignals() {
    for (std::size_t i = 0; i < kEnding.size(); ++i) {
        if (taken[i]) {
            sigaction(kEnding[i], &before[i], nullptr);
            taken[i] = false;
        }
    }
}

int EndingSignals::received() noexcept {
    const int signal = noted;
    if (signal != 0 && seen == 0) {
        seen = 1;
        alarm(0);
    }
    return signal;
}

void EndingSignals::endAsReceived() {
    if (noted != 0) {
        endNow(noted);
    }
}

}  // namespace simhost
