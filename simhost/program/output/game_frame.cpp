#include "program/output/game_frame.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <string_view>

namespace simhost {

namespace {

constexpr Rgba kSkyTop{70, 130, 200, 255};
constexpr Rgba kHorizon{160, 200, 235, 255};
constexpr Rgba kPitchFar{60, 150, 70, 255};
constexpr Rgba kPitchNear{30, 100, 40, 255};
constexpr Rgba kPanel{24, 28, 44, 255};
constexpr Rgba kBlueTeam{40, 100, 210, 255};
constexpr Rgba kOrangeTeam{225, 125, 35, 255};
constexpr Rgba kClockFace{235, 235, 235, 255};
constexpr Rgba kLight{250, 250, 250, 255};
constexpr Rgba kDark{45, 45, 50, 255};

Rgba mix(Rgba from, Rgba to, int step, int steps) {
    const auto channel = [&](std::uint8_t a, std::uint8_t b) {
        return static_cast<std::uint8_t>(a + (b - a) * step / std::max(steps, 1));
    };
    return {channel(from.r, to.r), channel(from.g, to.g), channel(from.b, to.b), 255};
}

// Proportions of the canvas, in thousandths, so the frame looks the same at every size.
int at(int side, int thousandths) {
    return static_cast<int>(static_cast<long long>(side) * thousandths / 1000);
}

void box(Canvas& canvas, int left, int top, int right, int bottom, Rgba color) {
    canvas.setColor(color);
    canvas.drawRect({left, top}, {right, bottom});
}

// Digits and the colon in a 3 x 5 pixel font: five rows of three bits, one octal digit a row.
std::array<std::uint8_t, 5> glyph(char c) {
    constexpr std::string_view kDrawn = "0123456789:";
    constexpr std::string_view kRows =
        "75557 26227 71747 71717 55711 74717 74757 71111 75757 75717 02020";
    std::array<std::uint8_t, 5> rows{};
    if (const auto at = kDrawn.find(c); at != std::string_view::npos) {
        for (std::size_t row = 0; row < rows.size(); ++row) {
            rows[row] = static_cast<std::uint8_t>(kRows[at * 6 + row] - '0');
        }
    }
    return rows;
}

// Text centred on (centreX, top), each font pixel `scale` canvas pixels wide.
void text(Canvas& canvas, std::string_view characters, int centreX, int top, int scale,
          Rgba color) {
    const int advance = 4 * scale;
    int x = centreX - (static_cast<int>(characters.size()) * advance - scale) / 2;
    canvas.setColor(color);
    for (const char c : characters) {
        const auto rows = glyph(c);
        for (int row = 0; row < 5; ++row) {
            for (int column = 0; column < 3; ++column) {
                if (rows[row] & (4 >> column)) {
                    const int left = x + column * scale;
                    const int y = top + row * scale;
                    canvas.drawRect({left, y}, {left + scale, y + scale});
                }
            }
        }
        x += advance;
    }
}

}  // namespace

void paintGameFrame(Canvas& canvas) {
    const int width = canvas.width();
    const int height = canvas.height();
    const int horizon = at(height, 450);
    for (int y = 0; y < height; ++y) {
        const Rgba color = y < horizon ? mix(kSkyTop, kHorizon, y, horizon)
                                       : mix(kPitchFar, kPitchNear, y - horizon, height - horizon);
        box(canvas, 0, y, width, y + 1, color);
    }

    // The score and clock panel; the cover's band lies inside it.
    box(canvas, at(width, 360), 0, at(width, 640), at(height, 100), kPanel);
    const int boxTop = at(height, 10);
    const int boxBottom = at(height, 80);
    box(canvas, at(width, 375), boxTop, at(width, 465), boxBottom, kBlueTeam);
    box(canvas, at(width, 470), boxTop, at(width, 530), boxBottom, kClockFace);
    box(canvas, at(width, 535), boxTop, at(width, 625), boxBottom, kOrangeTeam);

    // Big enough to read, small enough for "4:59" to fit on the clock face.
    const int clockWidth = at(width, 530) - at(width, 470);
    const int scale = std::max(1, std::min((boxBottom - boxTop) / 8, clockWidth / 18));
    const int textTop = boxTop + (boxBottom - boxTop - 5 * scale) / 2;
    text(canvas, "2", at(width, 420), textTop, scale, kLight);
    text(canvas, "4:59", at(width, 500), textTop, scale, kDark);
    text(canvas, "1", at(width, 580), textTop, scale, kLight);
}

}  // namespace simhost
