#pragma once

#include <filesystem>

namespace simhost {

// The file this program runs from, to start it again. Throws std::runtime_error.
std::filesystem::path thisProgram();

}  // namespace simhost
