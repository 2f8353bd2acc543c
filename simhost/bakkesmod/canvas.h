#pragma once

#include <cstdint>
#include <iosfwd>
#include <vector>

#include "bakkesmod/api.h"
#include "bakkesmod/vector2.h"

namespace simhost {

struct Rgba {
    std::uint8_t r = 0;
    std::uint8_t g = 0;
    std::uint8_t b = 0;
    std::uint8_t a = 0;
    friend bool operator==(const Rgba&, const Rgba&) = default;
};

// One operation a drawable made on the canvas through its handle, as the canvas recorded it.
struct CanvasCall {
    enum class Kind { SetColor, GetSize, DrawRect };
    Kind kind;
    Rgba color{};      // SetColor: the colour set
    Vector2 first{};   // GetSize: the size returned; DrawRect: the first corner
    Vector2 second{};  // DrawRect: the opposite corner
    friend bool operator==(const CanvasCall& a, const CanvasCall& b) {
        return a.kind == b.kind && a.color == b.color && a.first.X == b.first.X &&
               a.first.Y == b.first.Y && a.second.X == b.second.X && a.second.Y == b.second.Y;
    }
    static CanvasCall setColor(Rgba color) { return {Kind::SetColor, color, {}, {}}; }
    static CanvasCall getSize(Vector2 size) { return {Kind::GetSize, {}, size, {}}; }
    static CanvasCall drawRect(Vector2 a, Vector2 b) { return {Kind::DrawRect, {}, a, b}; }
};

BAKKESMOD_API std::ostream& operator<<(std::ostream& out, const CanvasCall& call);

// The surface the overlay is drawn on: an RGBA8 frame buffer, row-major from the top left.
// It can record what drawables do to it, for anyone who wants to see exactly which calls a
// drawable made; recording is off unless asked for, so drawing costs no allocation.
class BAKKESMOD_API Canvas {
public:
    Canvas(int width, int height);

    // Changes the size; the contents become transparent black. Throws std::bad_alloc, with the
    // canvas unchanged, when there is no memory for the new size.
    void resize(int width, int height);
    Vector2 size() const { return {width_, height_}; }
    int width() const { return width_; }
    int height() const { return height_; }

    void fill(Rgba color);
    Rgba pixel(int x, int y) const;
    const std::vector<Rgba>& pixels() const { return pixels_; }
    std::vector<Rgba>& pixels() { return pixels_; }

    void setColor(Rgba color) { color_ = color; }
    // Fills x in [start.X, end.X) and y in [start.Y, end.Y), clipped to the canvas and blended
    // by the current colour's alpha. Reversed corners fill nothing.
    void drawRect(Vector2 start, Vector2 end);

    void setRecording(bool on) { recording_ = on; }
    bool recording() const { return recording_; }
    void record(const CanvasCall& call);
    const std::vector<CanvasCall>& calls() const { return calls_; }
    void clearCalls() { calls_.clear(); }

    // Handles to this canvas that exist right now; drawables release theirs when they return.
    int liveHandles() const { return liveHandles_; }
    void handleAcquired() { ++liveHandles_; }
    void handleReleased() { --liveHandles_; }

private:
    int width_ = 0;
    int height_ = 0;
    std::vector<Rgba> pixels_;
    Rgba color_{255, 255, 255, 255};
    bool recording_ = false;
    std::vector<CanvasCall> calls_;
    int liveHandles_ = 0;
};

}  // namespace simhost
