#pragma once

#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "bakkesmod/vector2.h"

namespace simhost {

// A command line that cannot be run; the message names the argument and what is wrong with it.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

inline constexpr long long kMaxFrames = 1'000'000;
// A common screen, and what the cover's figures are usually given for.
inline constexpr Vector2 kDefaultCanvasSize{1920, 1080};

struct Options {
    enum class Action { Run, Help, Version };
    Action action = Action::Run;
    Vector2 size = kDefaultCanvasSize;
    long long frames = 1;
    bool framesGiven = false;
    std::vector<std::string> commands;
    std::optional<std::filesystem::path> screenshot;
    bool interactive = false;
    bool window = false;
    bool watch = false;
    std::filesystem::path module;
};

// The arguments after the program's name. Throws UsageError.
Options parseOptions(const std::vector<std::string>& arguments);

std::string usage();

}  // namespace simhost
