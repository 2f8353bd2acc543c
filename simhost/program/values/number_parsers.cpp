#include "program/values/number_parsers.h"

#include <algorithm>
#include <charconv>
#include <limits>
#include <optional>
#include <string>
#include <system_error>

#include "program/output/shown_text.h"
#include "simhost/services/canvas.h"

namespace simhost {

namespace {

bool digitsOnly(std::string_view text) {
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// A whole decimal number, digits only, with nothing around it; the largest value for digits too
// many for any count.
std::optional<long long> wholeNumber(std::string_view text) {
    if (!digitsOnly(text)) {
        return std::nullopt;
    }
    long long value = 0;
    const auto [stop, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc::result_out_of_range ? std::numeric_limits<long long>::max() : value;
}

}  // namespace

Result<Vector2> parseCanvasSize(std::string_view text, int smallestSide) {
    const auto separator = text.find_first_of("xX");
    const auto width = wholeNumber(text.substr(0, separator));
    const auto height = separator == std::string_view::npos
                            ? std::nullopt
                            : wholeNumber(text.substr(separator + 1));
    if (!width || !height) {
        return refuse(printable(text) +
                      " is not a size; write it as WIDTHxHEIGHT, for example 1920x1080");
    }
    if (std::min(*width, *height) < smallestSide || std::max(*width, *height) > Canvas::kMaxSide) {
        return refuse("size " + printable(text) + " is out of range; each side must be from " +
                      std::to_string(smallestSide) + " to " + std::to_string(Canvas::kMaxSide));
    }
    return Vector2{static_cast<int>(*width), static_cast<int>(*height)};
}

std::string canvasSizeText(Vector2 size) {
    return std::to_string(size.X) + "x" + std::to_string(size.Y);
}

std::string canvasOutOfMemory(Vector2 size) {
    return "cannot make a " + canvasSizeText(size) + " canvas: out of memory";
}

Result<long long> parseCount(std::string_view text, long long limit) {
    const auto value = wholeNumber(text);
    const std::string range = "from 0 to " + std::to_string(limit);
    if (!value) {
        return refuse(printable(text) + " is not a whole number " + range);
    }
    if (*value > limit) {
        return refuse(printable(text) + " is out of range; it must be " + range);
    }
    return *value;
}

}  // namespace simhost
