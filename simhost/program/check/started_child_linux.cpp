#include <fcntl.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "program/check/started_child.h"
#include "program/process/exit_status.h"
#include "program/process/this_program.h"
#include "simhost/host_error.h"

namespace simhost::check {

namespace {

// How long ending a check child and what it left may take.
constexpr std::chrono::seconds kLongestReap(5);

[[noreturn]] void failed(const std::string& what, int error) {
    throw HostError(what + ": " + std::strerror(error));
}

// Both ends of a pipe, closed when this goes.
struct Pipe {
    Pipe() {
        if (pipe(ends.data()) != 0) {
            failed("cannot make a pipe to a child", errno);
        }
        // The child gets the ends meant for it under other numbers; no program gets these.
        for (const int end : ends) {
            fcntl(end, F_SETFD, FD_CLOEXEC);
        }
    }
    Pipe(const Pipe&) = delete;
    Pipe& operator=(const Pipe&) = delete;
    ~Pipe() {
        closeRead();
        closeWrite();
    }
    void closeRead() { closeEnd(0); }
    void closeWrite() { closeEnd(1); }
    int read() const { return ends[0]; }
    int write() const { return ends[1]; }

private:
    void closeEnd(int end) {
        if (ends[end] >= 0) {
            close(ends[end]);
            ends[end] = -1;
        }
    }
    std::array<int, 2> ends{-1, -1};
};

// Adds what waits in a pipe to what is kept of it, without waiting; false at the pipe's end.
bool take(int fd, ChannelReader& text) {
    char buffer[16384];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got > 0) {
            text.add(buffer, static_cast<std::size_t>(got));
            continue;
        }
        if (got < 0 && errno == EINTR) {
            continue;
        }
        return got < 0 && errno == EAGAIN;
    }
}

void nonBlocking(int fd) {
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
}

// In the child of the fork, before it runs this program again: only calls that are safe there.
// A process group of its own; SIGKILL when simhost goes, however simhost ends; the pipes' ends as
// its standard streams and its channel and no other descriptor; the signals a program starts with.
void becomeCheckChild(pid_t parent, int input, int output, int channel) {
    setpgid(0, 0);
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (getppid() != parent) {
        _exit(kRunFailure);  // simhost went before the request took
    }
    dup2(input, STDIN_FILENO);
    dup2(output, STDOUT_FILENO);
    dup2(output, STDERR_FILENO);
    if (channel == kChannelGiven) {
        fcntl(channel, F_SETFD, 0);  // dup2 onto itself would keep close-on-exec
    } else {
        dup2(channel, kChannelGiven);
    }
    close_range(kChannelGiven + 1, ~0U, 0);
    struct sigaction plain {};
    plain.sa_handler = SIG_DFL;
    sigemptyset(&plain.sa_mask);
    for (int signal = 1; signal < NSIG; ++signal) {
        sigaction(signal, &plain, nullptr);
    }
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
}

pid_t spawnSelf(const ChildArguments& arguments, const Pipe& input, const Pipe& output,
                const Pipe& report) {
    const std::string self = thisProgram().string();
    std::vector<std::string> words{self};
    for (std::string& argument : arguments(std::to_string(kChannelGiven))) {
        words.push_back(std::move(argument));
    }
    std::vector<char*> argv;
    argv.reserve(words.size() + 1);
    for (std::string& argument : words) {
        argv.push_back(argument.data());
    }
    argv.push_back(nullptr);
    // Whatever the check child leaves behind, however it goes, is this process's to end.
    prctl(PR_SET_CHILD_SUBREAPER, 1);
    const pid_t parent = getpid();
    const pid_t child = fork();
    if (child < 0) {
        failed("cannot start a child", errno);
    }
    if (child == 0) {
        becomeCheckChild(parent, input.read(), output.write(), report.write());
        execv(self.c_str(), argv.data());
        _exit(kRunFailure);
    }
    return child;
}

// Waits for a child that has ended or been sent SIGKILL, a few seconds at most; one that cannot
// be collected even then counts as ended by SIGKILL.
int reap(pid_t child) {
    int status = 0;
    const auto until = std::chrono::steady_clock::now() + kLongestReap;
    do {
        const pid_t got = waitpid(child, &status, WNOHANG);
        if (got == child || (got < 0 && errno != EINTR)) {
            return status;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    } while (std::chrono::steady_clock::now() < until);
    return SIGKILL;
}

// The fields of /proc/<pid>/stat a stray is known by.
struct ProcessState {
    char state = 0;
    pid_t parent = 0;
    pid_t group = 0;
};

std::optional<ProcessState> stateOf(const std::string& pid) {
    std::ifstream file("/proc/" + pid + "/stat");
    std::string text;
    if (!std::getline(file, text)) {
        return std::nullopt;  // gone meanwhile
    }
    // The name in brackets may hold anything, brackets and blanks too: the fields follow the last.
    std::istringstream fields(text.substr(text.rfind(')') + 1));
    ProcessState state;
    if (!(fields >> state.state >> state.parent >> state.group)) {
        return std::nullopt;
    }
    return state;
}

// Processes still running that a check child left: in its group, or taken in by this process
// when their own parent went. Zombies are collected on the way, not counted: they have ended.
std::vector<pid_t> strays(pid_t group) {
    std::vector<pid_t> running;
    const pid_t self = getpid();
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator("/proc", error)) {
        const std::string name = entry.path().filename().string();
        if (name.find_first_not_of("0123456789") != std::string::npos) {
            continue;
        }
        const auto state = stateOf(name);
        const auto pid = static_cast<pid_t>(std::stol(name));
        if (!state || pid == self || (state->parent != self && state->group != group)) {
            continue;
        }
        if (state->state == 'Z') {
            if (state->parent == self) {
                waitpid(pid, nullptr, WNOHANG);
            }
            continue;
        }
        running.push_back(pid);
    }
    return running;
}

// Ends every stray until none is left, or a few seconds have passed; whether there were any.
bool endStrays(pid_t group) {
    bool found = false;
    const auto until = std::chrono::steady_clock::now() + kLongestReap;
    for (;;) {
        const std::vector<pid_t> running = strays(group);
        if (running.empty() || std::chrono::steady_clock::now() > until) {
            return found;
        }
        found = true;
        for (const pid_t pid : running) {
            kill(pid, SIGKILL);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

const char* signalName(int signal) {
    switch (signal) {
        case SIGABRT:
            return "SIGABRT";
        case SIGALRM:
            return "SIGALRM";
        case SIGBUS:
            return "SIGBUS";
        case SIGFPE:
            return "SIGFPE";
        case SIGHUP:
            return "SIGHUP";
        case SIGILL:
            return "SIGILL";
        case SIGINT:
            return "SIGINT";
        case SIGKILL:
            return "SIGKILL";
        case SIGPIPE:
            return "SIGPIPE";
        case SIGQUIT:
            return "SIGQUIT";
        case SIGSEGV:
            return "SIGSEGV";
        case SIGSYS:
            return "SIGSYS";
        case SIGTERM:
            return "SIGTERM";
        case SIGTRAP:
            return "SIGTRAP";
        case SIGUSR1:
            return "SIGUSR1";
        case SIGUSR2:
            return "SIGUSR2";
        case SIGXCPU:
            return "SIGXCPU";
        case SIGXFSZ:
            return "SIGXFSZ";
        default:
            return nullptr;
    }
}

}  // namespace

struct StartedChild::Parts {
    Pipe input;
    Pipe output;
    Pipe report;
    pid_t child = 0;
    bool outputOpen = true;
    bool reportOpen = true;
    bool reaped = false;
};

StartedChild::StartedChild(const ChildArguments& arguments, std::string_view token)
    : parts_(std::make_unique<Parts>()) {
    Parts& p = *parts_;
    // The token waits in the pipe before the child exists, so that writing it cannot fail.
    const std::string tokenLine = std::string(token) + "\n";
    if (::write(p.input.write(), tokenLine.data(), tokenLine.size()) !=
        static_cast<ssize_t>(tokenLine.size())) {
        failed("cannot hand a child its token", errno);
    }
    p.input.closeWrite();
    p.child = spawnSelf(arguments, p.input, p.output, p.report);
    p.input.closeRead();
    p.output.closeWrite();
    p.report.closeWrite();
    nonBlocking(p.output.read());
    nonBlocking(p.report.read());
}

StartedChild::~StartedChild() {
    if (!parts_->reaped) {
        finish();
    }
}

void StartedChild::read(ChannelReader& output, ChannelReader& report,
                        std::chrono::milliseconds wait) {
    Parts& p = *parts_;
    std::array<pollfd, 2> waiting{pollfd{p.outputOpen ? p.output.read() : -1, POLLIN, 0},
                                  pollfd{p.reportOpen ? p.report.read() : -1, POLLIN, 0}};
    poll(waiting.data(), waiting.size(), static_cast<int>(wait.count()));
    p.outputOpen = p.outputOpen && take(p.output.read(), output);
    p.reportOpen = p.reportOpen && take(p.report.read(), report);
}

bool StartedChild::ended() {
    // Without reaping it: its group lives on while it is a zombie.
    siginfo_t info{};
    return waitid(P_PID, static_cast<id_t>(parts_->child), &info, WEXITED | WNOHANG | WNOWAIT) ==
               0 &&
           info.si_pid == parts_->child;
}

ChildExit StartedChild::finish() {
    Parts& p = *parts_;
    ChildExit exit;
    const bool byItself = ended();
    if (!byItself) {
        // By its id as well as its group: it may have left the group.
        kill(p.child, SIGKILL);
    }
    const int status = reap(p.child);
    p.reaped = true;
    exit.leftProcesses = endStrays(p.child) && byItself;
    exit.crashed = WIFSIGNALED(status);
    exit.code = exit.crashed ? WTERMSIG(status) : WEXITSTATUS(status);
    return exit;
}

std::string crashText(long long code) {
    const char* name = signalName(static_cast<int>(code));
    return "crashed with signal " + std::to_string(code) +
           (name != nullptr ? std::string(" (") + name + ")" : "");
}

}  // namespace simhost::check
