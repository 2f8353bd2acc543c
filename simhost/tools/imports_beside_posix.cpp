#include "tools/imports_beside.h"

namespace simhost {

void importsBeside(const std::filesystem::path& /*original*/) {
    // An ELF module's imports are the host library's symbols, which this process holds already.
}

}  // namespace simhost
