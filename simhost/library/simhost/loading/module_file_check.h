#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "bakkesmod/api.h"

namespace simhost {

// What stops a file from being handed to the system loader, or nothing when it may go there:
// a missing file, a directory or anything else that is not a regular file (a FIFO would block
// the loader for good), a module for another system or processor, and a module whose headers
// promise loadable segments beyond the end of the file (the loader would map pages the file does
// not hold, and the host would die of a bus error on touching them). Files the check cannot read
// go to the loader, which says why.
BAKKESMOD_API std::optional<std::string> refusalBeforeOpening(const std::filesystem::path& file);

}  // namespace simhost
