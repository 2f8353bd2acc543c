#pragma once

#include <cstdint>

namespace simhost {

// One canvas pixel, or a drawing colour: 8 bits a channel, alpha 255 opaque. Given red first,
// kept in memory as blue, green, red, alpha: a 32-bit word 0xAARRGGBB on a little-endian machine,
// which is how X11 desktops and Windows keep a window's pixels, so a window takes canvas rows as
// they stand.
struct Rgba {
    constexpr Rgba() = default;
    constexpr Rgba(std::uint8_t red, std::uint8_t green, std::uint8_t blue, std::uint8_t alpha)
        : b(blue), g(green), r(red), a(alpha) {}

    std::uint8_t b = 0;
    std::uint8_t g = 0;
    std::uint8_t r = 0;
    std::uint8_t a = 0;
    friend bool operator==(const Rgba&, const Rgba&) = default;
};

}  // namespace simhost
