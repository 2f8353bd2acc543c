#pragma once

#include <filesystem>

#include "simhost/export.h"
#include "simhost/result.h"

namespace simhost {

// Whether a file may be handed to the system loader, or why not: a missing file, a directory or
// anything else that is not a regular file (a FIFO would block the loader for good), a module for
// another system or processor, and a module whose headers promise more of itself than the file
// holds (the loader would map pages the file does not have, and the host would die of a bus error
// on touching them). Files the check cannot read go to the loader, which says why.
SIMHOST_API Result<> fitForLoading(const std::filesystem::path& file);

}  // namespace simhost
