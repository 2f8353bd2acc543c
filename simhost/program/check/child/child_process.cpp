#include "program/check/child/child_process.h"

#include <chrono>
#include <string>
#include <utility>

#include "program/check/child/child_output.h"
#include "program/check/child/started_child.h"

namespace simhost::check {

namespace {

// How often the parent looks whether the child has ended while it writes nothing.
constexpr std::chrono::milliseconds kLookEvery(2);

}  // namespace

ChildEnd runChild(const ChildArguments& arguments, std::string_view token,
                  std::chrono::duration<double> timeout) {
    StartedChild child(arguments, token);
    KeptText said(kOutputKept);
    CallReportReader reported{std::string(token)};
    const auto deadline = std::chrono::steady_clock::now() +
                          std::chrono::duration_cast<std::chrono::steady_clock::duration>(timeout);
    ChildEnd end;
    // The child itself is waited for, not its pipes: what it started may hold them open.
    for (;;) {
        child.read(said, reported, kLookEvery);
        if (child.ended()) {
            break;
        }
        if (const auto stop = cutShort(deadline)) {
            end.how = *stop;
            break;
        }
    }
    const ChildExit exit = child.finish();
    // What is left in the pipes, without waiting on the ended group's last writers.
    child.read(said, reported, std::chrono::milliseconds(0));
    end.output = std::move(said).text();
    end.report = std::move(reported).finish();
    if (end.how == ChildEnd::How::Exited) {
        end.how = exit.crashed ? ChildEnd::How::Crashed : ChildEnd::How::Exited;
        end.code = exit.code;
        end.leftProcesses = exit.leftProcesses;
    }
    return end;
}

}  // namespace simhost::check
