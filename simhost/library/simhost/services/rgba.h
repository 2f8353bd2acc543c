#pragma once

#include <cstdint>

namespace simhost {

// One canvas pixel, or a drawing colour: 8 bits a channel, alpha 255 opaque.
struct Rgba {
    std::uint8_t r = 0;
    std::uint8_t g = 0;
    std::uint8_t b = 0;
    std::uint8_t a = 0;
    friend bool operator==(const Rgba&, const Rgba&) = default;
};

}  // namespace simhost
