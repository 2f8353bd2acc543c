#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace simhost {

// Why the code in a module file cannot run in this host, read from its header: a Windows module
// on a host that loads ELF ones and back, or one built for another processor ("built for
// AArch64; this host runs x86-64"). Nothing when it can, or when the header is neither ELF nor
// PE: the system loader then says why.
std::optional<std::string> builtForAnotherMachine(const std::filesystem::path& file);

}  // namespace simhost
