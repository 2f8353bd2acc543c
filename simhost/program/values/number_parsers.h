#pragma once

#include <string>
#include <string_view>

#include "bakkesmod/vector2.h"
#include "simhost/result.h"

// Numbers as a person types them, at the console and on the command line.
namespace simhost {

// "WxH" with both sides from `smallestSide` to the canvas's largest side; refused saying what is
// wrong.
Result<Vector2> parseCanvasSize(std::string_view text, int smallestSide = 1);
// A size as parseCanvasSize reads it: "1920x1080".
std::string canvasSizeText(Vector2 size);
// What the program says when there is no memory for a canvas of that size.
std::string canvasOutOfMemory(Vector2 size);

// A whole number from 0 to `limit`; refused when it is no whole number, or one out of that
// range.
Result<long long> parseCount(std::string_view text, long long limit);

}  // namespace simhost
