#include "program/live/pixel_rows.h"

#include <cstring>

namespace simhost {

void copyRow(std::span<const Rgba> from, std::uint32_t* to, PixelLayout layout) {
    if (layout == PixelLayout::CanvasBytes) {
        std::memcpy(to, from.data(), from.size_bytes());
        return;
    }
    // Whole words, red and blue swapped: a loop the compiler turns into vector instructions.
    const auto* words = reinterpret_cast<const std::uint32_t*>(from.data());
    for (std::size_t i = 0; i < from.size(); ++i) {
        const std::uint32_t bytes = words[i];  // 0xAABBGGRR: the canvas's R, G, B, A in memory
        to[i] = (bytes & 0xFF00FF00U) | ((bytes >> 16) & 0xFFU) | ((bytes & 0xFFU) << 16);
    }
}

}  // namespace simhost
