#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

#include "program/check/started_child.h"
#include "program/process/this_program.h"
#include "simhost/host_error.h"

extern char** environ;

namespace simhost::check {

namespace {

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
bool take(int fd, KeptText& text) {
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

// The spawn's settings: the pipes' child ends as its standard streams and its channel, a process
// group of its own, and the signals a program starts with.
struct SpawnSettings {
    SpawnSettings(const Pipe& input, const Pipe& output, const Pipe& report) {
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, input.read(), STDIN_FILENO);
        posix_spawn_file_actions_adddup2(&actions, output.write(), STDOUT_FILENO);
        posix_spawn_file_actions_adddup2(&actions, output.write(), STDERR_FILENO);
        posix_spawn_file_actions_adddup2(&actions, report.write(), kChannelGiven);
        posix_spawnattr_init(&attributes);
        sigset_t none;
        sigset_t all;
        sigemptyset(&none);
        sigfillset(&all);
        posix_spawnattr_setpgroup(&attributes, 0);
        posix_spawnattr_setsigmask(&attributes, &none);
        posix_spawnattr_setsigdefault(&attributes, &all);
        posix_spawnattr_setflags(
            &attributes, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    }
    SpawnSettings(const SpawnSettings&) = delete;
    SpawnSettings& operator=(const SpawnSettings&) = delete;
    ~SpawnSettings() {
        posix_spawn_file_actions_destroy(&actions);
        posix_spawnattr_destroy(&attributes);
    }
    posix_spawn_file_actions_t actions{};
    posix_spawnattr_t attributes{};
};

pid_t spawnSelf(const ChildArguments& arguments, const SpawnSettings& settings) {
    const std::string self = thisProgram().string();
    std::vector<std::string> words{self};
    for (std::string& argument : arguments(std::to_string(kChannelGiven))) {
        words.push_back(std::move(argument));
    }
    std::vector<char*> argv;
    for (std::string& argument : words) {
        argv.push_back(argument.data());
    }
    argv.push_back(nullptr);
    pid_t child = 0;
    const int spawned = posix_spawn(&child, self.c_str(), &settings.actions, &settings.attributes,
                                    argv.data(), environ);
    if (spawned != 0) {
        failed("cannot start a child", spawned);
    }
    return child;
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
    {
        const SpawnSettings settings(p.input, p.output, p.report);
        p.child = spawnSelf(arguments, settings);
    }
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

void StartedChild::read(KeptText& output, KeptText& report, std::chrono::milliseconds wait) {
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
    int status = 0;
    if (ended()) {
        waitpid(p.child, &status, 0);
        // The group outlives its first member while anything the child started runs.
        exit.leftProcesses = kill(-p.child, 0) == 0;
        kill(-p.child, SIGKILL);
    } else {
        kill(-p.child, SIGKILL);
        waitpid(p.child, &status, 0);
    }
    p.reaped = true;
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
