#pragma once

#include <filesystem>
#include <vector>

#include "simhost/services/rgba.h"

// A PNG file read back as RGBA pixels.
struct Picture {
    int width = 0;
    int height = 0;
    std::vector<simhost::Rgba> pixels;
    simhost::Rgba at(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
};

// Throws std::runtime_error when the file is no readable PNG.
Picture readPng(const std::filesystem::path& file);

// The pixels that break the rule "opaque black exactly over [2W/5, 3W/5) x [0, 17H/200) when
// covered, nowhere when not".
long long misplacedPixels(const Picture& picture, bool covered);
