#pragma once

#include <filesystem>

#include "simhost/services/canvas.h"

namespace simhost {

// Whether the name ends in .png, in any case: the one rule for every screenshot name.
bool namesPngFile(const std::filesystem::path& file);

// Writes the canvas as an 8-bit RGBA PNG file. Every write and the close are checked: on any
// failure the partial file is removed and HostError names the file and the cause.
void writeScreenshot(const Canvas& canvas, const std::filesystem::path& file);

}  // namespace simhost
