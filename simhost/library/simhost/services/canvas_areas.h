#pragma once

#include <array>
#include <cstddef>
#include <span>

#include "simhost/export.h"

namespace simhost {

// A rectangle of a canvas: x in [left, right), y in [top, bottom).
struct CanvasArea {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    bool empty() const { return left >= right || top >= bottom; }
    bool contains(const CanvasArea& other) const {
        return left <= other.left && top <= other.top && right >= other.right &&
               bottom >= other.bottom;
    }
    friend bool operator==(const CanvasArea&, const CanvasArea&) = default;
};

// Where a canvas was written: a few rectangles, and past kMost of them the one that holds them
// all. Kept without the heap, so that drawing records where it drew without allocating.
class SIMHOST_API CanvasAreas {
public:
    static constexpr std::size_t kMost = 8;

    // Adds an area; one that an area already held contains adds nothing, and one that contains
    // areas already held takes their place.
    void add(const CanvasArea& area);
    void add(const CanvasAreas& areas);
    void clear() { count_ = 0; }
    bool empty() const { return count_ == 0; }
    std::span<const CanvasArea> areas() const { return {areas_.data(), count_}; }

private:
    auto heldEnd() { return areas_.begin() + static_cast<std::ptrdiff_t>(count_); }

    std::array<CanvasArea, kMost> areas_{};
    std::size_t count_ = 0;
};

}  // namespace simhost
