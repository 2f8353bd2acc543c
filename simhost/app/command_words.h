#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "bakkesmod/printable.h"
#include "bakkesmod/vector2.h"

namespace simhost {

// Splits a console line into commands at ';' and each command into words at blanks. Double
// quotes group words and are dropped: `cl_tavorinden "1"` sets the value 1. Outside quotes, //
// starts a comment that runs to the end of the line.
std::vector<std::vector<std::string>> splitCommands(std::string_view line);

// The largest canvas side the host draws on.
inline constexpr int kMaxCanvasSide = 16384;

// "WxH" with both sides from 1 to kMaxCanvasSide. On failure `why` says what is wrong.
std::optional<Vector2> parseCanvasSize(std::string_view text, std::string& why);

// A whole number from 0 to `limit`. On failure `why` says what is wrong.
std::optional<long long> parseCount(std::string_view text, long long limit, std::string& why);

}  // namespace simhost
