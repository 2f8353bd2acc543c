#pragma once

#include <cstddef>
#include <vector>

#include "simhost/services/canvas.h"

namespace simhost {

// A picture in memory that shows a canvas of its size, pixel for pixel in the canvas's layout:
// a window's own pixels, say. Rows are `pitch` bytes apart.
struct ShownPixels {
    std::byte* pixels = nullptr;
    std::ptrdiff_t pitch = 0;
};

// Copies the whole canvas into `shown`.
void copyAll(const Canvas& canvas, ShownPixels shown);

// Copies into `shown` the rows of the canvas's `changed` areas that differ from what it holds,
// and returns the rectangles copied: one per run of differing rows in an area, as wide as the
// area. Rows already alike are neither copied nor returned.
void copyChanged(const Canvas& canvas, const CanvasAreas& changed, ShownPixels shown,
                 std::vector<CanvasArea>& copied);

// The bytes of canvas pixels in these areas.
std::size_t bytesIn(const std::vector<CanvasArea>& areas);

}  // namespace simhost
