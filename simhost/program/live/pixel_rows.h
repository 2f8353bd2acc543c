#pragma once

#include <cstdint>
#include <span>

#include "simhost/services/rgba.h"

namespace simhost {

// How a display wants the canvas's pixels in memory: as the canvas keeps them (bytes R, G, B, A)
// or as 32-bit words 0xAARRGGBB, which is what X11 desktops show without converting.
enum class PixelLayout { CanvasBytes, ArgbWords };

// Copies one row of canvas pixels into `to`, which holds as many 32-bit pixels, in `layout`.
void copyRow(std::span<const Rgba> from, std::uint32_t* to, PixelLayout layout);

}  // namespace simhost
