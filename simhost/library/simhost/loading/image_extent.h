#pragma once

#include <filesystem>

namespace simhost {

// Whether the parts of a module file that the system loader maps lie within the file. A file
// that is no module of this platform's format passes: the loader says what is wrong with it.
bool imageFitsInFile(const std::filesystem::path& file);

}  // namespace simhost
