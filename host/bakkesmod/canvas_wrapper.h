#pragma once

#include "bakkesmod/api.h"
#include "bakkesmod/host_handles.h"
#include "bakkesmod/vector2.h"

// A copyable handle to the surface the host is drawing its overlay on. Copies refer to the same
// surface; copying and releasing a handle are host operations.
class BAKKESMOD_API CanvasWrapper {
public:
    explicit CanvasWrapper(HostCanvas& surface);
    CanvasWrapper(const CanvasWrapper& other);
    CanvasWrapper& operator=(const CanvasWrapper& other);
    ~CanvasWrapper();

    // Colour of what is drawn next; alpha 255 (the byte 0xFF) is opaque.
    void SetColor(char red, char green, char blue, char alpha);
    // Width and height of the surface in pixels.
    Vector2 GetSize();
    // Fills the rectangle from the first corner up to, not including, the opposite corner.
    void DrawRect(Vector2 start, Vector2 end);

private:
    HostCanvas* surface_;
};
