#pragma once

#include <chrono>
#include <memory>
#include <string>
#include <string_view>

#include "program/check/child/child_output.h"
#include "program/check/child/child_process.h"

// What each platform provides for runChild's one loop: a check's child started, read, asked
// whether it has ended, and ended with everything it started.
namespace simhost::check {

// How a child finished, as its platform tells it.
struct ChildExit {
    bool crashed = false;
    // The exit status; the signal or exception code when it crashed.
    long long code = 0;
    // It had ended by itself, and processes it started were still running.
    bool leftProcesses = false;
};

class StartedChild {
public:
    // Starts this program again with `arguments`, in a process group (a job object on Windows)
    // of its own, its standard input holding `token` and nothing more. Throws HostError.
    StartedChild(const ChildArguments& arguments, std::string_view token);
    StartedChild(const StartedChild&) = delete;
    StartedChild& operator=(const StartedChild&) = delete;
    // Ends what still runs of it.
    ~StartedChild();

    // Adds what waits on its output and its call report channel, waiting at most `wait` for
    // something to come or for the child to end.
    void read(ChannelReader& output, ChannelReader& report, std::chrono::milliseconds wait);
    // Whether the child process itself has ended; what it started may still run.
    bool ended();
    // Ends the child, if it still runs, and everything it started, and collects how it ended.
    ChildExit finish();

private:
    struct Parts;
    std::unique_ptr<Parts> parts_;
};

// Empty where a check's child and everything it starts are held together by the system (a pid
// namespace, a job object); otherwise why not, in the system's words.
std::string containmentShortfall();

}  // namespace simhost::check
