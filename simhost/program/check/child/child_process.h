#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "program/check/child/call_report.h"

// A check's child process: this program started again to run one check, isolated from its parent
// and from everything else. The parent's side starts it and watches it end; the child's side
// takes what the parent handed it.
namespace simhost::check {

// How much of a child's output the parent keeps: the end, where its last words are.
inline constexpr std::size_t kOutputKept = std::size_t{64} * 1024;
// The longest line the parent reads on a call report channel; a child's own are far shorter.
inline constexpr std::size_t kReportLineKept = std::size_t{64} * 1024;
// Where a child on POSIX finds its call report channel, as the parent hands it over; the child
// moves it further out of the way at once (ReportChannel).
inline constexpr int kChannelGiven = 3;

// How a child ended, as its parent saw it.
struct ChildEnd {
    enum class How { Exited, Crashed, TimedOut, Interrupted };
    How how = How::Exited;
    // The exit status; the signal or exception code when it crashed.
    long long code = 0;
    // The last kOutputKept bytes of its standard output and error.
    std::string output;
    // What it told on its call report channel.
    CallReport report;
    // Processes it started were still running when it ended; they were ended with it.
    bool leftProcesses = false;
};

// The arguments the child is started with, given how its call report channel is named to it.
using ChildArguments = std::function<std::vector<std::string>(const std::string& channel)>;

// Starts this program again with `arguments`, in a process group (on Windows a job object) of
// its own, its standard input holding `token` and nothing more. Waits for the child process
// itself, at most `timeout` (its pipes may be held open by processes it started), reading its
// output and its call report meanwhile. When the child ends, for whatever reason, whatever it
// started is ended too. Throws HostError when no child can be started.
ChildEnd runChild(const ChildArguments& arguments, std::string_view token,
                  std::chrono::duration<double> timeout);

// "crashed with signal 11 (SIGSEGV)", "crashed with exception 0xC0000005 (access violation)".
std::string crashText(long long code);

// The child's side. The channel is moved where a plug-in has no reason to touch it: out of the
// standard three descriptors, and not inherited by programs the plug-in starts.
class ReportChannel {
public:
    // `named` is how runChild named the channel on the command line. Throws HostError
    // for a name that is no channel.
    explicit ReportChannel(const std::string& named);
    ReportChannel(const ReportChannel&) = delete;
    ReportChannel& operator=(const ReportChannel&) = delete;
    ~ReportChannel();

    // False when the line could not be written whole: the channel was closed or taken over.
    bool write(std::string_view line) noexcept;

private:
    std::intptr_t channel_ = -1;
};

// Reads the token the parent left on standard input, then points standard input at nothing,
// so that the token is gone before the module is opened.
std::string takeToken();

// A crash ends the child at once with its own signal or exception code: no debugger, no dialog.
void prepareChild();

}  // namespace simhost::check
