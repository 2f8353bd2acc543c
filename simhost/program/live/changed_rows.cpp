#include "program/live/changed_rows.h"

#include <cstring>

namespace simhost {

namespace {

const std::byte* canvasAt(const Canvas& canvas, int x, int y) {
    return reinterpret_cast<const std::byte*>(canvas.pixels().data() +
                                              static_cast<std::size_t>(y) * canvas.width() + x);
}

std::byte* shownAt(ShownPixels shown, int x, int y) {
    return shown.pixels + y * shown.pitch + static_cast<std::ptrdiff_t>(x * sizeof(Rgba));
}

}  // namespace

void copyAll(const Canvas& canvas, ShownPixels shown) {
    const std::size_t length = static_cast<std::size_t>(canvas.width()) * sizeof(Rgba);
    for (int y = 0; y < canvas.height(); ++y) {
        std::memcpy(shownAt(shown, 0, y), canvasAt(canvas, 0, y), length);
    }
}

void copyChanged(const Canvas& canvas, const CanvasAreas& changed, ShownPixels shown,
                 std::vector<CanvasArea>& copied) {
    for (const CanvasArea& area : changed.areas()) {
        const std::size_t length = static_cast<std::size_t>(area.right - area.left) * sizeof(Rgba);
        for (int y = area.top; y < area.bottom; ++y) {
            const std::byte* from = canvasAt(canvas, area.left, y);
            std::byte* to = shownAt(shown, area.left, y);
            if (std::memcmp(from, to, length) == 0) {
                continue;
            }
            std::memcpy(to, from, length);
            // A row that follows one copied in the same area widens its rectangle.
            if (!copied.empty() && copied.back().left == area.left &&
                copied.back().right == area.right && copied.back().bottom == y) {
                copied.back().bottom = y + 1;
            } else {
                copied.push_back({area.left, y, area.right, y + 1});
            }
        }
    }
}

std::size_t bytesIn(const std::vector<CanvasArea>& areas) {
    std::size_t bytes = 0;
    for (const CanvasArea& area : areas) {
        bytes += static_cast<std::size_t>(area.right - area.left) *
                 static_cast<std::size_t>(area.bottom - area.top) * sizeof(Rgba);
    }
    return bytes;
}

}  // namespace simhost
