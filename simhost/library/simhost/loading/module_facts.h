#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "bakkesmod/api.h"

namespace simhost {

// What the host can find out about a module file and about this process, beyond loading it:
// the questions a validator asks.

// The functions and data the module imports that nothing in this process provides (a host
// operation this host lacks, say), demangled. Empty when all are there or the file cannot be
// read as a module of this platform.
BAKKESMOD_API std::vector<std::string> missingImports(const std::filesystem::path& file);

// Whether the module file is mapped into this process right now.
BAKKESMOD_API bool isMapped(const std::filesystem::path& file);

// Memory this process uses: bytes allocated on the heap and bytes of address space mapped.
struct MemoryUse {
    long long heapBytes = 0;
    long long mappedBytes = 0;
};
BAKKESMOD_API MemoryUse memoryUse();

}  // namespace simhost
