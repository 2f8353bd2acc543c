#pragma once

#include <filesystem>

#include "bakkesmod/canvas.h"

namespace simhost {

// Writes the canvas as an 8-bit RGBA PNG file. Throws HostError naming the file and the cause.
void writeScreenshot(const Canvas& canvas, const std::filesystem::path& file);

}  // namespace simhost
