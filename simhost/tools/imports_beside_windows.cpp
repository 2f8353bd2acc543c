#include <windows.h>

#include "tools/imports_beside.h"

namespace simhost {

void importsBeside(const std::filesystem::path& original) {
    // Searched after the copy's own folder, in place of the working directory.
    SetDllDirectoryW(std::filesystem::absolute(original).parent_path().c_str());
}

}  // namespace simhost
