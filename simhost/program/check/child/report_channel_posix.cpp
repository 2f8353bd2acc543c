#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "program/check/child/child_process.h"
#include "simhost/host_error.h"

// The child's side of a check: its call report channel and the token it signs its result with.
namespace simhost::check {

namespace {

// The least descriptor the child moves the channel to: above any a plug-in opens in passing.
constexpr int kChannelMovedTo = 100;

[[noreturn]] void failed(const std::string& what, int error) {
    throw HostError(what + ": " + std::strerror(error));
}

}  // namespace

ReportChannel::ReportChannel(const std::string& named) {
    if (named != std::to_string(kChannelGiven) || fcntl(kChannelGiven, F_GETFD) == -1) {
        throw HostError("no call report channel at " + named);
    }
    // Out of the way, and not inherited by programs the plug-in runs; under a descriptor limit
    // below that, as far out as the limit allows.
    channel_ = fcntl(kChannelGiven, F_DUPFD_CLOEXEC, kChannelMovedTo);
    if (channel_ < 0 && errno == EINVAL) {
        channel_ = fcntl(kChannelGiven, F_DUPFD_CLOEXEC, kChannelGiven + 1);
    }
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
