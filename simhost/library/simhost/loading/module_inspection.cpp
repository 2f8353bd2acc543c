#include "simhost/loading/module_inspection.h"

#include <fstream>
#include <system_error>

#if defined(_WIN32)
#include <windows.h>
#else
#include <cxxabi.h>
#include <dlfcn.h>
#include <malloc.h>
#include <unistd.h>

#include <cstdlib>
#include <memory>

#include "simhost/loading/elf_file.h"
#endif

namespace simhost {

namespace {

std::filesystem::path resolved(const std::filesystem::path& file) {
    std::error_code error;
    auto result = std::filesystem::canonical(file, error);
    return error ? std::filesystem::absolute(file) : result;
}

#if !defined(_WIN32)
std::string demangled(const std::string& name) {
    int status = 0;
    const std::unique_ptr<char, decltype(&std::free)> readable(
        abi::__cxa_demangle(name.c_str(), nullptr, nullptr, &status), &std::free);
    return status == 0 && readable ? std::string(readable.get()) : name;
}
#endif

}  // namespace

#if defined(_WIN32)

std::vector<std::string> missingImports(const std::filesystem::path&) {
    return {};  // the system loader's refusal says what is missing
}

bool isMapped(const std::filesystem::path& file) {
    return GetModuleHandleW(resolved(file).c_str()) != nullptr;
}

MemoryUse memoryUse() {
    MemoryUse use;
    // Busy blocks of every heap of the process, the C runtime's among them.
    HANDLE heaps[64];
    const DWORD count = GetProcessHeaps(static_cast<DWORD>(std::size(heaps)), heaps);
    for (DWORD i = 0; i < count && i < std::size(heaps); ++i) {
        if (!HeapLock(heaps[i])) {
            continue;
        }
        PROCESS_HEAP_ENTRY entry{};
        while (HeapWalk(heaps[i], &entry)) {
            if ((entry.wFlags & PROCESS_HEAP_ENTRY_BUSY) != 0) {
                use.heapBytes += entry.cbData;
            }
        }
        HeapUnlock(heaps[i]);
    }
    // Committed address space: private memory, images and mapped files.
    MEMORY_BASIC_INFORMATION region{};
    for (const char* address = nullptr;
         VirtualQuery(address, &region, sizeof region) == sizeof region;
         address = static_cast<const char*>(region.BaseAddress) + region.RegionSize) {
        if (region.State == MEM_COMMIT) {
            use.mappedBytes += static_cast<long long>(region.RegionSize);
        }
    }
    return use;
}

#else

std::vector<std::string> missingImports(const std::filesystem::path& file) {
    std::vector<std::string> missing;
    const auto elf = ElfFile::read(file);
    if (!elf) {
        return missing;
    }
    for (const std::string& name : elf->undefinedSymbols()) {
        if (dlsym(RTLD_DEFAULT, name.c_str()) == nullptr) {
            missing.push_back(demangled(name));
        }
    }
    return missing;
}

bool isMapped(const std::filesystem::path& file) {
    const std::string wanted = resolved(file).string();
    std::ifstream maps("/proc/self/maps");
    std::string line;
    while (std::getline(maps, line)) {
        if (line.size() >= wanted.size() &&
            line.compare(line.size() - wanted.size(), wanted.size(), wanted) == 0) {
            return true;
        }
    }
    return false;
}

MemoryUse memoryUse() {
    MemoryUse use;
    use.heapBytes = static_cast<long long>(mallinfo2().uordblks);
    std::ifstream statm("/proc/self/statm");
    long long pages = 0;
    statm >> pages;
    use.mappedBytes = pages * sysconf(_SC_PAGESIZE);
    return use;
}

#endif

}  // namespace simhost
