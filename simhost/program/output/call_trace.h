#pragma once

#include <filesystem>
#include <fstream>
#include <iosfwd>
#include <optional>

#include "simhost/loading/module_calls.h"
#include "simhost/services/canvas_observer.h"
#include "simhost/services/service_calls.h"

namespace simhost {

// Writes every call between host and plug-in, in order, one line each: the host's calls into the
// module's code as they begin and end (a call that throws has no return line), and indented
// beneath them each host operation the plug-in calls, with its arguments and what it returned,
// every text escaped.
//   call onLoad
//     log("Tavorinden version: 1.02")
//   return onLoad
// Calls into the module are passed on to `next`, when there is one.
class CallTrace final : public ModuleCallWatch, public ServiceCallWatch, public CanvasObserver {
public:
    explicit CallTrace(std::ostream& out, ModuleCallWatch* next = nullptr)
        : out_(out), next_(next) {}

    void calling(ModuleCall call) override;
    void returned(ModuleCall call) override;
    void serviceCalled(const ServiceCall& call) override;
    void called(const CanvasCall& call) override;

    // Whether every line so far was written.
    bool written() const;

private:
    std::ostream& out_;
    ModuleCallWatch* next_;
};

// Where a trace goes: a file, appended to so that the checks' children add to one file, or
// `standardError` for "-". Every line is written through at once: a crash loses none of them.
class TraceOutput {
public:
    TraceOutput(const std::filesystem::path& where, std::ostream& standardError);
    // Null when the file cannot be opened.
    std::ostream* stream() { return stream_; }

private:
    std::ofstream file_;
    std::ostream* stream_ = nullptr;
};

}  // namespace simhost
