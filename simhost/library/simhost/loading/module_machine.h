#pragma once

#include <filesystem>

#include "simhost/result.h"

namespace simhost {

// Whether the code in a module file can run in this host, read from its header; refused for a
// Windows module on a host that loads ELF ones and back, or for one built for another processor
// ("built for AArch64; this host runs x86-64"). A header that is neither ELF nor PE is accepted
// here: the system loader then says why it is no module.
Result<> builtForThisMachine(const std::filesystem::path& file);

}  // namespace simhost
