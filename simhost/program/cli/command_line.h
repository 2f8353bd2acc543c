#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "bakkesmod/vector2.h"
#include "program/check/check_command.h"
#include "simhost/host.h"
#include "simhost/result.h"

namespace simhost {

inline constexpr long long kMaxFrames = 1'000'000;

// What `simhost MODULE` was asked to do.
struct RunOptions {
    Vector2 size = Host::kDefaultCanvasSize;
    long long frames = 1;
    bool framesGiven = false;
    std::vector<std::string> commands;
    std::optional<std::filesystem::path> screenshot;
    bool interactive = false;
    bool window = false;
    bool watch = false;
    std::optional<std::string> toggle;
    bool flipEachFrame = false;
    // Where every call between host and plug-in is written; "-" for standard error.
    std::optional<std::filesystem::path> trace;
    std::filesystem::path module;
};

// The command line, read by one grammar for `simhost` and its subcommand `check`.
struct CommandLine {
    enum class Action { Run, Check, Help, Version };
    Action action = Action::Run;
    RunOptions run;
    check::CheckOptions check;
    // The help or the version, as asked.
    std::string text;
};

// Reads the arguments after the program's name; refused with what is wrong, naming the argument.
// Paths the run writes or loads are resolved now, before any module can change the working
// directory.
Result<CommandLine> parseCommandLine(const std::vector<std::string>& arguments);

// Where a usage error points a person: "simhost --help" or "simhost check --help".
std::string helpFor(const std::vector<std::string>& arguments);

}  // namespace simhost
