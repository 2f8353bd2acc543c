#include <pthread.h>
#include <signal.h>

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

void fallBack(int signal) {
    struct sigaction plain {};
    plain.sa_handler = SIG_DFL;
    sigemptyset(&plain.sa_mask);
    sigaction(signal, &plain, nullptr);
}

extern "C" void note(int signal) {
    noted = signal;
    fallBack(signal);  // the next one is not asked twice
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
    return noted;
}

void EndingSignals::endAsReceived() {
    const int signal = noted;
    if (signal == 0) {
        return;
    }
    fallBack(signal);
    sigset_t only;
    sigemptyset(&only);
    sigaddset(&only, signal);
    pthread_sigmask(SIG_UNBLOCK, &only, nullptr);
    raise(signal);
    std::_Exit(128 + signal);
}

}  // namespace simhost
