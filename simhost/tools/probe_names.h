#pragma once

#include <filesystem>
#include <string>

// Names the validator's probes compare and show, the same on every platform.
namespace simhost {

// The file's one true name, for comparing with the names the system gives its modules; its
// absolute name when it cannot be resolved.
std::filesystem::path resolvedName(const std::filesystem::path& file);

// A symbol as a person reads it: demangled where the compiler's ABI is the Itanium one; MSVC's
// decorated names are shown as the export table has them.
std::string readableSymbol(const std::string& name);

}  // namespace simhost
