#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "program/check/child/check_keeper.h"
#include "program/check/child/started_child.h"
#include "program/process/exit_status.h"
#include "program/process/this_program.h"
#include "simhost/host_error.h"

namespace simhost::check {

namespace {

// How long the keeper may take to end a check and what it left, and to go.
constexpr std::chrono::seconds kLongestReap(8);

[[noreturn]] void failed(const std::string& what, int error) {
    throw HostError(what + ": " + std::strerror(error));
}

// Both ends of a pipe, closed when this goes.
struct Pipe {
    Pipe() {
        // The child gets the ends meant for it under other numbers; no program gets these, not
        // even one another thread starts meanwhile.
        if (pipe2(ends.data(), O_CLOEXEC) != 0) {
            failed("cannot make a pipe to a child", errno);
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

// The standard descriptors open, on nothing where simhost was started without one, so that no
// pipe to a child takes their numbers; and children collected by waiting for them, even where
// simhost was started with SIGCHLD ignored.
void readyToStartChildren() {
    for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd) {
        if (fcntl(fd, F_GETFD) == -1 && open("/dev/null", O_RDWR) != fd) {
            failed("cannot open /dev/null for a closed standard descriptor", errno);
        }
    }
    signal(SIGCHLD, SIG_DFL);
}

// The keeper, started with everything it hands the check child; see check_keeper.h.
pid_t startKeeper(const ChildArguments& arguments, const Pipe& input, const Pipe& output,
                  const Pipe& report, const Pipe& record) {
    std::string self = "simhost";
    try {
        self = thisProgram().string();
    } catch (const HostError&) {
        // the name is only the child's argv[0]: its image is this process's own
    }
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
    const pid_t parent = getpid();
    const pid_t keeper = fork();
    if (keeper < 0) {
        failed("cannot start a child", errno);
    }
    if (keeper == 0) {
        keepCheckChild(parent, {input.read(), output.write(), report.write()}, record.write(),
                       argv.data());
    }
    return keeper;
}

// Waits for the keeper, a few seconds at most; true when it was collected.
bool reap(pid_t keeper, std::chrono::steady_clock::duration longest) {
    const auto until = std::chrono::steady_clock::now() + longest;
    do {
        const pid_t got = waitpid(keeper, nullptr, WNOHANG);
        if (got == keeper || (got < 0 && errno != EINTR)) {
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    } while (std::chrono::steady_clock::now() < until);
    return false;
}

}  // namespace

struct StartedChild::Parts {
    // First, so that none of the pipes can take 0, 1 or 2.
    bool ready = (readyToStartChildren(), true);
    Pipe input;
    Pipe output;
    Pipe report;
    Pipe record;
    pid_t keeper = 0;
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
    p.keeper = startKeeper(arguments, p.input, p.output, p.report, p.record);
    p.input.closeRead();
    p.output.closeWrite();
    p.report.closeWrite();
    p.record.closeWrite();
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
    const int out = p.output.read();
    const int channel = p.report.read();
    std::array<pollfd, 2> waiting{pollfd{p.outputOpen ? out : -1, POLLIN, 0},
                                  pollfd{p.reportOpen ? channel : -1, POLLIN, 0}};
    poll(waiting.data(), waiting.size(), static_cast<int>(wait.count()));
    p.outputOpen = p.outputOpen && take(out, output);
    p.reportOpen = p.reportOpen && take(channel, report);
}

bool StartedChild::ended() {
    // The keeper ends once the child has, and everything the child started with it.
    siginfo_t info{};
    return waitid(P_PID, static_cast<id_t>(parts_->keeper), &info, WEXITED | WNOHANG | WNOWAIT) ==
               0 &&
           info.si_pid == parts_->keeper;
}

ChildExit StartedChild::finish() {
    Parts& p = *parts_;
    if (!ended()) {
        kill(p.keeper, SIGTERM);  // it ends the check at once
    }
    if (!reap(p.keeper, kLongestReap)) {
        kill(-p.keeper, SIGKILL);
        kill(p.keeper, SIGKILL);
        reap(p.keeper, kLongestReap);
    }
    p.reaped = true;
    KeeperRecord told;
    ChildExit exit;
    if (::read(p.record.read(), &told, sizeof told) != sizeof told) {
        exit.crashed = true;  // ended before it could tell: as by SIGKILL
        exit.code = SIGKILL;
        return exit;
    }
    exit.leftProcesses = told.leftProcesses != 0;
    exit.crashed = WIFSIGNALED(told.status);
    exit.code = exit.crashed ? WTERMSIG(told.status) : WEXITSTATUS(told.status);
    return exit;
}

std::string containmentShortfall() {
    static const std::string shortfall = [] {
        readyToStartChildren();
        const pid_t probe = fork();
        if (probe == 0) {
            _exit(newPidNamespaceForChildren() & 0xFF);
        }
        int status = 0;
        if (probe < 0 || waitpid(probe, &status, 0) != probe || !WIFEXITED(status)) {
            return std::string("cannot try one");
        }
        return WEXITSTATUS(status) == 0 ? std::string() : std::strerror(WEXITSTATUS(status));
    }();
    return shortfall;
}

std::string crashText(long long code) {
    const char* name = sigabbrev_np(static_cast<int>(code));  // "SEGV", or null for no name
    return "crashed with signal " + std::to_string(code) +
           (name != nullptr ? std::string(" (SIG") + name + ")" : "");
}

}  // namespace simhost::check
