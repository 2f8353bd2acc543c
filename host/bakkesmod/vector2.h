#pragma once

// A point or a size on the canvas, in pixels: horizontal component first.
struct Vector2 {
    int X;
    int Y;
};
