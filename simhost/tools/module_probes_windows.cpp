#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <optional>
#include <system_error>

#include "simhost/image/module_image.h"
#include "tools/module_probes.h"
#include "tools/probe_names.h"

namespace simhost {

namespace {

// A library the module imports from, as the module would get it: beside the module first.
HMODULE openImported(const std::filesystem::path& module, const std::string& library) {
    const auto beside = module.parent_path() / library;
    HMODULE opened = LoadLibraryExW(beside.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    return opened != nullptr ? opened : LoadLibraryA(library.c_str());
}

}  // namespace

std::vector<std::string> missingImports(const std::filesystem::path& file) {
    std::vector<std::string> missing;
    const auto reader = ByteReader::open(file);
    const auto image = reader ? readModuleImage(*reader) : Result<ModuleImage>(refuse(""));
    if (!image || image->kind.format != ImageFormat::Pe) {
        return missing;
    }
    std::string library;
    HMODULE opened = nullptr;
    for (const ImportedName& imported : image->imports) {
        if (imported.library != library) {
            if (opened != nullptr) {
                FreeLibrary(opened);
            }
            library = imported.library;
            opened = openImported(file, library);
            if (opened == nullptr) {
                missing.push_back(library + " (the whole library)");
            }
        }
        if (opened == nullptr) {
            continue;
        }
        if (imported.ordinal) {
            if (GetProcAddress(opened, MAKEINTRESOURCEA(*imported.ordinal)) == nullptr) {
                missing.push_back(library + " ordinal " + std::to_string(*imported.ordinal));
            }
        } else if (GetProcAddress(opened, imported.name.c_str()) == nullptr) {
            missing.push_back(readableSymbol(imported.name));
        }
    }
    if (opened != nullptr) {
        FreeLibrary(opened);
    }
    return missing;
}

std::optional<bool> isMapped(const std::filesystem::path& file) {
    return GetModuleHandleW(resolvedName(file).c_str()) != nullptr;
}

std::optional<MemoryUse> memoryUse() {
    MemoryUse use;
    // Busy blocks of every heap of the process, the C runtime's among them; a heap missed or
    // walked only in part would make a figure that proves nothing.
    HANDLE heaps[64];
    const DWORD count = GetProcessHeaps(static_cast<DWORD>(std::size(heaps)), heaps);
    if (count == 0 || count > std::size(heaps)) {
        return std::nullopt;
    }
    for (DWORD i = 0; i < count; ++i) {
        if (!HeapLock(heaps[i])) {
            return std::nullopt;
        }
        PROCESS_HEAP_ENTRY entry{};
        while (HeapWalk(heaps[i], &entry)) {
            if ((entry.wFlags & PROCESS_HEAP_ENTRY_BUSY) != 0) {
                use.heapBytes += entry.cbData;
            }
        }
        const bool walked = GetLastError() == ERROR_NO_MORE_ITEMS;
        HeapUnlock(heaps[i]);
        if (!walked) {
            return std::nullopt;
        }
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

}  // namespace simhost
