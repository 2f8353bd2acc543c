#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "bakkesmod/vector2.h"

namespace simhost {

// "WxH" with both sides from 1 to the canvas's largest side. On failure `why` says what is wrong.
std::optional<Vector2> parseCanvasSize(std::string_view text, std::string& why);

// A whole number from 0 to `limit`. On failure `why` says what is wrong: no whole number, or
// one out of that range.
std::optional<long long> parseCount(std::string_view text, long long limit, std::string& why);

}  // namespace simhost
