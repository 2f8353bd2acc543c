#pragma once

#include <filesystem>

namespace simhost {

// The file this program runs from, to start it again. Throws HostError.
std::filesystem::path thisProgram();

}  // namespace simhost
