#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace simhost {

// What a validator asks about a module file and about this process, beyond loading the module.

// The functions and data the module imports that nothing in this process provides (a host
// operation this host lacks, say), demangled. Empty when all are there or the file cannot be
// read as a module of this platform.
std::vector<std::string> missingImports(const std::filesystem::path& file);

// Whether the module file is mapped into this process right now; nothing when the process
// cannot look (its map unreadable, with every descriptor in use, say).
std::optional<bool> isMapped(const std::filesystem::path& file);

// Memory this process uses: bytes allocated on the heap and bytes of address space mapped;
// nothing when the process cannot look (its figures unreadable, a heap it cannot walk).
struct MemoryUse {
    long long heapBytes = 0;
    long long mappedBytes = 0;
};
std::optional<MemoryUse> memoryUse();

}  // namespace simhost
