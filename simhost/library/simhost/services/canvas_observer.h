#pragma once

#include <iosfwd>

#include "bakkesmod/vector2.h"
#include "simhost/export.h"
#include "simhost/services/rgba.h"

namespace simhost {

// One operation a drawable made on the canvas through its handle.
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

SIMHOST_API std::ostream& operator<<(std::ostream& out, const CanvasCall& call);

// Sees what drawables do with a canvas through their handles: every call, and every handle
// copied and released, for whoever counts them. Whoever wants to know attaches one; a canvas
// without costs nothing.
class CanvasObserver {
public:
    virtual void called(const CanvasCall& call) = 0;
    virtual void handleAcquired() {}
    virtual void handleReleased() {}

protected:
    ~CanvasObserver() = default;
};

}  // namespace simhost
