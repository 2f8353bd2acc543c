#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <sched.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <thread>
#include <vector>

#include "program/check/child/check_keeper.h"
#include "program/check/child/child_process.h"
#include "program/process/exit_status.h"

namespace simhost::check {

namespace {

// How long the fallback may take to end what a check child left.
constexpr std::chrono::seconds kLongestCleanup(5);
// The check child runs this program's own image, even when its file has been replaced since.
constexpr const char* kOwnImage = "/proc/self/exe";

sigset_t signalsOf(std::initializer_list<int> signals) {
    sigset_t set;
    sigemptyset(&set);
    for (const int signal : signals) {
        sigaddset(&set, signal);
    }
    return set;
}

// Every signal at its default, none blocked: whatever simhost was started with.
void plainSignals() {
    struct sigaction plain {};
    plain.sa_handler = SIG_DFL;
    sigemptyset(&plain.sa_mask);
    for (int signal = 1; signal < NSIG; ++signal) {
        sigaction(signal, &plain, nullptr);
    }
    const sigset_t none = signalsOf({});
    sigprocmask(SIG_SETMASK, &none, nullptr);
}

// The ends as the check child's 0, 1, 2 and 3 and no other descriptor but `record`, which
// stays above them and is not inherited by the program the keeper starts; returns its number.
int placeDescriptors(const ChildEnds& ends, int record) {
    record = fcntl(record, F_DUPFD_CLOEXEC, kChannelGiven + 1);
    dup2(ends.input, STDIN_FILENO);
    dup2(ends.output, STDOUT_FILENO);
    dup2(ends.output, STDERR_FILENO);
    if (ends.channel == kChannelGiven) {
        fcntl(ends.channel, F_SETFD, 0);  // dup2 onto itself would keep close-on-exec
    } else {
        dup2(ends.channel, kChannelGiven);
    }
    close_range(kChannelGiven + 1, static_cast<unsigned>(record) - 1, 0);
    close_range(static_cast<unsigned>(record) + 1, ~0U, 0);
    return record;
}

// Forks the check child; it runs this program with `argv` once its parent is sure to outlive
// it or take it along.
pid_t startCheck(char* const argv[]) {
    const pid_t parent = getpid();
    const pid_t child = fork();
    if (child == 0) {
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (getppid() != parent) {
            _exit(kRunFailure);
        }
        const sigset_t none = signalsOf({});
        sigprocmask(SIG_SETMASK, &none, nullptr);
        execv(kOwnImage, argv);
        _exit(kRunFailure);
    }
    return child;
}

// Waits for `child`, collecting any other child on the way. A signal in `stops` ends it with
// SIGKILL; whether one came is told in `stopped`.
int waitFor(pid_t child, const sigset_t& stops, bool& stopped) {
    const sigset_t waited = signalsOf({SIGCHLD, SIGTERM});
    for (;;) {
        int status = 0;
        pid_t got = 0;
        while ((got = waitpid(-1, &status, WNOHANG)) > 0) {
            if (got == child) {
                return status;
            }
        }
        if (got < 0 && errno != EINTR) {
            return SIGKILL;  // no such child: it could not be started
        }
        siginfo_t info{};
        if (sigwaitinfo(&waited, &info) > 0 && sigismember(&stops, info.si_signo) == 1) {
            stopped = true;
            if (child > 0) {
                kill(child, SIGKILL);
            }
        }
    }
}

// The first process of the check's pid namespace. Once the check child has ended, whatever is
// left in the namespace is whatever the plug-in started: it is told, then ended with it.
[[noreturn]] void firstOfNamespace(int lifeline, int record, char* const argv[]) {
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    pollfd keeper{lifeline, POLLIN, 0};
    if (poll(&keeper, 1, 0) != 0) {
        _exit(0);  // the keeper went before the request took
    }
    close(lifeline);
    const pid_t check = startCheck(argv);
    close_range(0, kChannelGiven, 0);
    bool stopped = false;
    KeeperRecord told{waitFor(check, signalsOf({}), stopped), 0};
    int got = 0;
    while ((got = waitpid(-1, nullptr, WNOHANG)) > 0) {
        // ended helpers: collected, not told
    }
    told.leftProcesses = got == 0 ? 1 : 0;
    kill(-1, SIGKILL);
    while (waitpid(-1, nullptr, 0) > 0 || errno == EINTR) {
    }
    static_cast<void>(write(record, &told, sizeof told));
    _exit(0);
}

// The fields of /proc/<pid>/stat a stray is known by: its state, parent and group, read after
// the last ')' of the whole file, since the name in brackets may hold anything, lines too.
struct ProcessState {
    char state = 0;
    long parent = 0;
    long group = 0;
};

bool stateOf(const char* pid, ProcessState& state) {
    std::array<char, 64> path{};
    std::array<char, 1024> text{};
    std::strcat(std::strcat(path.data(), "/proc/"), pid);
    std::strcat(path.data(), "/stat");
    const int file = open(path.data(), O_RDONLY | O_CLOEXEC);
    if (file < 0) {
        return false;  // gone meanwhile
    }
    const ssize_t got = read(file, text.data(), text.size() - 1);
    close(file);
    const char* name = got > 0 ? std::strrchr(text.data(), ')') : nullptr;
    if (name == nullptr || std::strlen(name) < 4) {
        return false;
    }
    char* next = nullptr;
    state.state = name[2];
    state.parent = std::strtol(name + 3, &next, 10);
    state.group = std::strtol(next, nullptr, 10);
    return true;
}

// Processes still running that the check child left: in the keeper's group, or taken in by
// the keeper when their own parent went. Whether it collected one that had ended is told in
// `collected`: the list of processes is read before their states, so a child that process forked
// just before it ended may be missing from it.
std::vector<pid_t> strays(bool& collected) {
    std::vector<pid_t> running;
    const pid_t self = getpid();
    DIR* processes = opendir("/proc");
    while (const dirent* entry = processes != nullptr ? readdir(processes) : nullptr) {
        ProcessState state;
        if (std::strspn(entry->d_name, "0123456789") != std::strlen(entry->d_name) ||
            !stateOf(entry->d_name, state)) {
            continue;
        }
        const auto pid = static_cast<pid_t>(std::strtol(entry->d_name, nullptr, 10));
        if (pid == self || (state.parent != self && state.group != self)) {
            continue;
        }
        // A zombie the keeper can collect has ended; one it cannot is a process whose first
        // thread ended while others run on, or one its own running parent has yet to collect.
        if (state.state == 'Z' && waitpid(pid, nullptr, WNOHANG) == pid) {
            collected = true;
            continue;
        }
        running.push_back(pid);
    }
    if (processes != nullptr) {
        closedir(processes);
    }
    return running;
}

// Ends every stray until a look finds none and collects none, or a few seconds have passed;
// whether there were any.
bool endStrays() {
    bool found = false;
    const auto until = std::chrono::steady_clock::now() + kLongestCleanup;
    for (;;) {
        bool collected = false;
        const std::vector<pid_t> running = strays(collected);
        if (running.empty() && !collected) {
            return found;
        }
        found = found || !running.empty();
        if (std::chrono::steady_clock::now() > until) {
            return found;
        }
        for (const pid_t pid : running) {
            kill(pid, SIGKILL);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

}  // namespace

int newPidNamespaceForChildren() noexcept {
    if (unshare(CLONE_NEWPID) == 0) {
        return 0;
    }
    const int refused = errno;
    // Without the privilege, a user namespace of its own grants it, where the system allows.
    return unshare(CLONE_NEWUSER | CLONE_NEWPID) == 0 ? 0 : refused;
}

[[noreturn]] void keepCheckChild(pid_t parent, ChildEnds ends, int record, char* const argv[]) {
    setpgid(0, 0);
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (getppid() != parent) {
        _exit(kRunFailure);  // simhost went before the request took
    }
    plainSignals();
    const sigset_t waited = signalsOf({SIGCHLD, SIGTERM});
    sigprocmask(SIG_BLOCK, &waited, nullptr);
    record = placeDescriptors(ends, record);
    bool stopped = false;
    KeeperRecord told;
    if (newPidNamespaceForChildren() == 0) {
        std::array<int, 2> lifeline{-1, -1};
        pipe2(lifeline.data(), O_CLOEXEC);
        const pid_t first = fork();
        if (first == 0) {
            close(lifeline[1]);
            firstOfNamespace(lifeline[0], record, argv);
        }
        close(lifeline[0]);
        close_range(0, kChannelGiven, 0);
        told.status = waitFor(first, signalsOf({SIGTERM}), stopped);
        if (!stopped && WIFEXITED(told.status)) {
            _exit(0);  // the namespace's first process has told
        }
    } else {
        prctl(PR_SET_CHILD_SUBREAPER, 1);
        const pid_t check = startCheck(argv);
        close_range(0, kChannelGiven, 0);
        told.status = waitFor(check, signalsOf({SIGTERM}), stopped);
        told.leftProcesses = endStrays() && !stopped ? 1 : 0;
    }
    if (!stopped) {
        static_cast<void>(write(record, &told, sizeof told));
    }
    _exit(0);
}

}  // namespace simhost::check
