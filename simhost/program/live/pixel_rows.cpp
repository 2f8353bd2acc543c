#include "program/live/pixel_rows.h"

#include <cstring>

namespace simhost {

void copyRow(std::span<const Rgba> from, std::uint32_t* to, PixelLayout layout) {
    if (layout == PixelLayout::CanvasBytes) {
        std::memcpy(to, from.data(), from.size_bytes());
        return;
    }
    // Whole words, red and blue swapped: a loop the compiler turns into vector instructions.
    for (std::size_t i = 0; i < from.size(); ++i) {
        std::uint32_t bytes = 0;  // 0xAABBGGRR: the canvas's R, G, B, A in memory
        std::memcpy(&bytes, &from[i], sizeof bytes);
        to[i] = (bytes & 0xFF00FF00U) | ((bytes >> 16) & 0xFFU) | ((bytes & 0xFFU) << 16);
    }
}

}  // namespace simhost
