#pragma once

#include <cstddef>
#include <cstdlib>
#include <memory>
#include <span>

#include "bakkesmod/vector2.h"
#include "simhost/export.h"
#include "simhost/services/canvas_areas.h"
#include "simhost/services/canvas_observer.h"
#include "simhost/services/handle_bases.h"
#include "simhost/services/rgba.h"

namespace simhost {

// The surface the overlay is drawn on: an RGBA8 frame buffer, row-major from the top left.
class SIMHOST_API Canvas : public HostCanvas {
public:
    // The largest side the host draws on.
    static constexpr int kMaxSide = 16384;

    // Sizes are never negative and pixels are read inside the canvas: HostError otherwise.
    Canvas(int width, int height);

    // Changes the size; the contents become transparent black, all of them touched. Throws
    // std::bad_alloc, with the canvas unchanged, when there is no memory for the new size.
    void resize(int width, int height);
    Vector2 size() const { return {width_, height_}; }
    int width() const { return width_; }
    int height() const { return height_; }

    void fill(Rgba color);
    Rgba pixel(int x, int y) const;
    std::span<const Rgba> pixels() const { return {pixels_.get(), count()}; }

    void setColor(Rgba color) { color_ = color; }
    // Fills x in [start.X, end.X) and y in [start.Y, end.Y), clipped to the canvas and blended
    // by the current colour's alpha. Reversed corners fill nothing.
    void drawRect(Vector2 start, Vector2 end);
    // Copies an area, clipped to the canvas, from a canvas of the same size (HostError if not).
    void copyArea(const Canvas& from, CanvasArea area);

    // Where the canvas was written since the last forgetTouched(): every fill, drawn rectangle,
    // copy and resize.
    const CanvasAreas& touched() const { return touched_; }
    void forgetTouched() { touched_.clear(); }

    // Who sees what drawables do with this canvas; none (null) by default.
    void setObserver(CanvasObserver* observer) { observer_ = observer; }
    CanvasObserver* observer() const { return observer_; }

private:
    std::size_t count() const {
        return static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_);
    }
    struct Release {
        void operator()(Rgba* pixels) const { std::free(pixels); }
    };

    int width_ = 0;
    int height_ = 0;
    std::unique_ptr<Rgba[], Release> pixels_;
    Rgba color_{255, 255, 255, 255};
    CanvasObserver* observer_ = nullptr;
    CanvasAreas touched_;
};

}  // namespace simhost
