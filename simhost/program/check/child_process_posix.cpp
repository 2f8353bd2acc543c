#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <string>
#include <vector>
#include "simhost/host_error.h"

#include "program/check/child_output.h"
#include "program/check/child_process.h"
#include "program/process/this_program.h"

extern char** environ;

namespace simhost::check {

namespace {

// Where the child finds its call report channel; it moves it further out of the way at once.
constexpr int kChannelGiven = 3;
// The least descriptor the child moves the channel to: above any a plug-in opens in passing.
constexpr int kChannelMovedTo = 100;
// How often the parent looks whether the child has ended while it writes nothing.
constexpr int kLookEveryMs = 2;

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

// One of a child's pipes, read into what is kept of it.
struct Reader {
    Reader(int from, KeptText kept) : fd(from), text(std::move(kept)) {}

    // Reads what is there without waiting; false at the end of the pipe.
    bool take() {
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

    int fd;
    KeptText text;
    bool open = true;
};

void nonBlocking(int fd) {
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
}

// Whether the child has ended, without waiting and without reaping it.
bool ended(pid_t child) {
    siginfo_t info{};
    return waitid(P_PID, static_cast<id_t>(child), &info, WEXITED | WNOHANG | WNOWAIT) == 0 &&
           info.si_pid == child;
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

ChildEnd runChild(const ChildArguments& arguments, std::string_view token,
                  std::chrono::duration<double> timeout) {
    const std::string self = thisProgram().string();
    Pipe input;
    Pipe output;
    Pipe report;
    // The token waits in the pipe before the child exists, so that writing it cannot fail.
    const std::string tokenLine = std::string(token) + "\n";
    if (::write(input.write(), tokenLine.data(), tokenLine.size()) !=
        static_cast<ssize_t>(tokenLine.size())) {
        failed("cannot hand a child its token", errno);
    }
    input.closeWrite();

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, input.read(), STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&actions, output.write(), STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, output.write(), STDERR_FILENO);
    posix_spawn_file_actions_adddup2(&actions, report.write(), kChannelGiven);
    // A process group of its own, with the signals a program starts with.
    posix_spawnattr_t attributes;
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
    const int spawned =
        posix_spawn(&child, self.c_str(), &actions, &attributes, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    input.closeRead();
    output.closeWrite();
    report.closeWrite();
    if (spawned != 0) {
        failed("cannot start a child", spawned);
    }

    ChildEnd end;
    Reader said(output.read(), KeptText(kOutputKept, KeptText::Keep::End));
    Reader reported(report.read(), KeptText(kReportKept, KeptText::Keep::Beginning));
    nonBlocking(said.fd);
    nonBlocking(reported.fd);
    const auto deadline = std::chrono::steady_clock::now() +
                          std::chrono::duration_cast<std::chrono::steady_clock::duration>(timeout);
    for (;;) {
        std::array<pollfd, 2> waiting{pollfd{said.open ? said.fd : -1, POLLIN, 0},
                                      pollfd{reported.open ? reported.fd : -1, POLLIN, 0}};
        poll(waiting.data(), waiting.size(), kLookEveryMs);
        said.open = said.open && said.take();
        reported.open = reported.open && reported.take();
        if (ended(child)) {
            break;
        }
        if (const auto stop = cutShort(deadline)) {
            end.how = *stop;
            break;
        }
    }

    int status = 0;
    if (end.how == ChildEnd::How::Exited) {
        waitpid(child, &status, 0);
        // The group outlives its first member while anything the child started runs.
        end.leftProcesses = kill(-child, 0) == 0;
        kill(-child, SIGKILL);
    } else {
        kill(-child, SIGKILL);
        waitpid(child, &status, 0);
    }
    // What is left in the pipes, without waiting on the ended group's last writers.
    said.take();
    reported.take();
    end.reportOverflowed = reported.text.overflowed();
    end.output = std::move(said.text).text();
    end.report = std::move(reported.text).text();
    if (end.how == ChildEnd::How::Exited) {
        if (WIFSIGNALED(status)) {
            end.how = ChildEnd::How::Crashed;
            end.code = WTERMSIG(status);
        } else {
            end.code = WEXITSTATUS(status);
        }
    }
    return end;
}

std::string crashText(long long code) {
    const char* name = signalName(static_cast<int>(code));
    return "crashed with signal " + std::to_string(code) +
           (name != nullptr ? std::string(" (") + name + ")" : "");
}

ReportChannel::ReportChannel(const std::string& named) : channel_(-1) {
    if (named != std::to_string(kChannelGiven) || fcntl(kChannelGiven, F_GETFD) == -1) {
        throw HostError("no call report channel at " + named);
    }
    // Out of the way, and not inherited by programs the plug-in runs.
    channel_ = fcntl(kChannelGiven, F_DUPFD_CLOEXEC, kChannelMovedTo);
    if (channel_ < 0) {
        failed("cannot move the call report channel", errno);
    }
    close(kChannelGiven);
}

ReportChannel::~ReportChannel() {
    close(static_cast<int>(channel_));
}

bool ReportChannel::write(std::string_view line) noexcept {
    // Lines this short go into a pipe in one piece.
    ssize_t written = 0;
    do {
        written = ::write(static_cast<int>(channel_), line.data(), line.size());
    } while (written < 0 && errno == EINTR);
    return written == static_cast<ssize_t>(line.size());
}

std::string takeToken() {
    std::string token;
    char c = 0;
    while (token.size() < 64 && ::read(STDIN_FILENO, &c, 1) == 1 && c != '\n') {
        token += c;
    }
    const int nothing = open("/dev/null", O_RDONLY | O_CLOEXEC);
    if (nothing >= 0) {
        dup2(nothing, STDIN_FILENO);
        close(nothing);
    }
    return token;
}

void prepareChild() {
    // A crash ends the process with its signal, which the parent reads from the status.
}

}  // namespace simhost::check
