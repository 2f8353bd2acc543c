#pragma once

#include <sys/types.h>

// The keeper: a process between simhost and a check's child that runs only this program's own
// code, so that no plug-in can undo what it arranges. It starts the child in a pid namespace of
// its own where the system allows one; everything the plug-in starts, however it forks, renames
// or leaves its group, is then in that namespace and goes with it, also when simhost is ended by
// SIGKILL. Elsewhere it falls back to a process group and a subreaper, which a process that
// leaves the group and keeps its parent alive can outlast.
namespace simhost::check {

// What the keeper tells its parent when the check's child is over, in one write.
struct KeeperRecord {
    // The check child's wait status.
    int status = 0;
    // It ended by itself while processes it started still ran; they have been ended.
    int leftProcesses = 0;
};

// The descriptors a check child gets as its standard streams and its channel.
struct ChildEnds {
    int input = -1;
    int output = -1;
    int channel = -1;
};

// Runs in the child of simhost's fork: becomes the keeper and never returns. Starts `argv` with
// `ends`, and writes a KeeperRecord to `record` once the child and all it started are gone.
// SIGTERM asks it to end the check at once. Only async-signal-safe calls until the fallback's
// scan, which simhost's check (one thread) allows.
[[noreturn]] void keepCheckChild(pid_t parent, ChildEnds ends, int record, char* const argv[]);

// Makes the caller's next child the first process of a new pid namespace: 0, or why it cannot.
int newPidNamespaceForChildren() noexcept;

}  // namespace simhost::check
