// Runs a command and tells whether any process it started outlived it. This program is a
// subreaper: a process whose parent has gone is taken in by it, so once the command has ended,
// every process left of it, however it forked, renamed itself or left its group or session, is a
// child of this one. Nothing is known by its command line.
//   survivors [--pid-file FILE] -- COMMAND [ARGUMENT]...
// Exits with the command's status (128 + the signal when one ended it). When processes outlived
// it, says how many on standard error, ends them and exits with 125.
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <fstream>
#include <iostream>
#include <set>
#include <string>
#include <thread>

namespace {

// How long processes the command's end takes with it may take to go: the system ends them, and
// this only waits for that to be done, on a loaded machine too.
constexpr std::chrono::seconds kLongestEnding(20);

// This process's children still running, zombies collected on the way; by their ids.
std::set<pid_t> children() {
    while (waitpid(-1, nullptr, WNOHANG) > 0) {
    }
    std::set<pid_t> running;
    std::ifstream list("/proc/self/task/" + std::to_string(getpid()) + "/children");
    for (pid_t pid = 0; list >> pid;) {
        running.insert(pid);
    }
    return running;
}

std::set<pid_t> childrenLeftWithin(std::chrono::steady_clock::duration longest) {
    const auto until = std::chrono::steady_clock::now() + longest;
    std::set<pid_t> left = children();
    while (!left.empty() && std::chrono::steady_clock::now() < until) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        left = children();
    }
    return left;
}

}  // namespace

int main(int argc, char** argv) {
    int first = 1;
    std::string pidFile;
    if (argc > 3 && std::string(argv[1]) == "--pid-file") {
        pidFile = argv[2];
        first = 3;
    }
    if (argc <= first + 1 || std::string(argv[first]) != "--") {
        std::cerr << "usage: survivors [--pid-file FILE] -- COMMAND [ARGUMENT]...\n";
        return 2;
    }
    prctl(PR_SET_CHILD_SUBREAPER, 1);
    // The command starts once its id is in the file, so that whoever reads it finds it there.
    int held[2];
    if (pipe(held) != 0) {
        return 2;
    }
    const pid_t command = fork();
    if (command == 0) {
        char nothing = 0;
        close(held[1]);
        while (read(held[0], &nothing, 1) < 0 && errno == EINTR) {
        }
        close(held[0]);
        execvp(argv[first + 1], argv + first + 1);
        std::cerr << "survivors: cannot run " << argv[first + 1] << '\n';
        _exit(127);
    }
    if (!pidFile.empty()) {
        std::ofstream(pidFile) << command << '\n';
    }
    close(held[0]);
    close(held[1]);
    int status = 0;
    while (waitpid(command, &status, 0) < 0 && errno == EINTR) {
    }
    const std::set<pid_t> left = childrenLeftWithin(kLongestEnding);
    if (!left.empty()) {
        std::cerr << "survivors: " << left.size() << " processes outlived the command\n";
        while (!children().empty()) {
            for (const pid_t pid : children()) {
                kill(pid, SIGKILL);
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return 125;
    }
    return WIFSIGNALED(status) ? 128 + WTERMSIG(status) : WEXITSTATUS(status);
}
