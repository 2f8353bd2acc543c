#include "simhost/services/canvas.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <new>
#include <string>

#include "simhost/host_error.h"

namespace simhost {

namespace {

std::uint8_t blendChannel(std::uint8_t source, std::uint8_t destination, unsigned alpha) {
    return static_cast<std::uint8_t>((source * alpha + destination * (255u - alpha) + 127u) / 255u);
}

// Fills `count` pixels with one opaque colour: one pixel by hand, then copies of what is filled,
// doubling. memcpy moves whole vectors, where a loop storing 4-byte pixels moves one at a time.
void fillRow(Rgba* row, int count, Rgba color) {
    const auto total = static_cast<std::size_t>(count);
    row[0] = color;
    for (std::size_t filled = 1; filled < total;) {
        const std::size_t copied = std::min(filled, total - filled);
        std::memcpy(row + filled, row, copied * sizeof(Rgba));
        filled += copied;
    }
}

Rgba blend(Rgba source, Rgba destination) {
    const unsigned alpha = source.a;
    return {blendChannel(source.r, destination.r, alpha),
            blendChannel(source.g, destination.g, alpha),
            blendChannel(source.b, destination.b, alpha),
            static_cast<std::uint8_t>(alpha + (destination.a * (255u - alpha) + 127u) / 255u)};
}

// Corners can be anything a drawable computed; work in 64 bits so that clipping cannot overflow.
int clip(std::int64_t value, int limit) {
    return static_cast<int>(std::clamp<std::int64_t>(value, 0, limit));
}

std::string sizeText(int width, int height) {
    return std::to_string(width) + "x" + std::to_string(height);
}

}  // namespace

Canvas::Canvas(int width, int height) {
    resize(width, height);
}

void Canvas::resize(int width, int height) {
    if (width < 0 || height < 0) {
        throw HostError("canvas size " + sizeText(width, height) + " is negative");
    }
    // Allocated before anything changes: when memory runs out, the canvas stays as it was. The
    // system hands out zeroed pages as they are touched, so a large canvas costs only what is
    // drawn on it.
    const std::size_t count = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    auto* fresh = static_cast<Rgba*>(count == 0 ? nullptr : std::calloc(count, sizeof(Rgba)));
    if (count != 0 && fresh == nullptr) {
        throw std::bad_alloc();
    }
    pixels_.reset(fresh);
    width_ = width;
    height_ = height;
    touched_.clear();
    touched_.add({0, 0, width_, height_});
}

void Canvas::fill(Rgba color) {
    std::fill(pixels_.get(), pixels_.get() + count(), color);
    touched_.add({0, 0, width_, height_});
}

Rgba Canvas::pixel(int x, int y) const {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) {
        throw HostError("pixel (" + std::to_string(x) + ", " + std::to_string(y) +
                        ") is outside the canvas");
    }
    return pixels_[static_cast<std::size_t>(y) * width_ + x];
}

void Canvas::drawRect(Vector2 start, Vector2 end) {
    const int left = clip(start.X, width_);
    const int right = clip(end.X, width_);
    const int top = clip(start.Y, height_);
    const int bottom = clip(end.Y, height_);
    if (left >= right || top >= bottom || color_.a == 0) {
        return;
    }
    touched_.add({left, top, right, bottom});
    // A local colour: the pixels could alias the member, which would be read again per pixel.
    const Rgba color = color_;
    for (int y = top; y < bottom; ++y) {
        Rgba* row = pixels_.get() + static_cast<std::size_t>(y) * width_;
        if (color.a == 255) {
            fillRow(row + left, right - left, color);
        } else {
            for (int x = left; x < right; ++x) {
                row[x] = blend(color, row[x]);
            }
        }
    }
}

void Canvas::copyArea(const Canvas& from, CanvasArea area) {
    if (from.width_ != width_ || from.height_ != height_) {
        throw HostError("cannot copy from a " + sizeText(from.width_, from.height_) +
                        " canvas to a " + sizeText(width_, height_) + " one");
    }
    area = {clip(area.left, width_), clip(area.top, height_), clip(area.right, width_),
            clip(area.bottom, height_)};
    if (area.empty()) {
        return;
    }
    const auto length = static_cast<std::size_t>(area.right - area.left) * sizeof(Rgba);
    for (int y = area.top; y < area.bottom; ++y) {
        const std::size_t at = static_cast<std::size_t>(y) * width_ + area.left;
        std::memcpy(pixels_.get() + at, from.pixels_.get() + at, length);
    }
    touched_.add(area);
}

}  // namespace simhost
