#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <optional>
#include <system_error>

#include "tools/module_probes.h"
#include "tools/probe_names.h"

namespace simhost {

namespace {

// A PE file's bytes, read with every offset checked.
class PeImage {
public:
    explicit PeImage(const std::filesystem::path& file) {
        std::error_code error;
        const auto size = std::filesystem::file_size(file, error);
        constexpr std::uintmax_t kLargest = 256u << 20;
        if (error || size > kLargest) {
            return;
        }
        std::ifstream in(file, std::ios::binary);
        bytes_.resize(static_cast<std::size_t>(size));
        if (!in.read(bytes_.data(), static_cast<std::streamsize>(bytes_.size()))) {
            bytes_.clear();
        }
    }

    template <typename T>
    std::optional<T> at(std::size_t offset) const {
        if (offset > bytes_.size() || sizeof(T) > bytes_.size() - offset) {
            return std::nullopt;
        }
        T value;
        std::memcpy(&value, bytes_.data() + offset, sizeof(T));
        return value;
    }

    std::optional<std::string> text(std::size_t offset) const {
        if (offset >= bytes_.size()) {
            return std::nullopt;
        }
        const char* start = bytes_.data() + offset;
        const std::size_t length = strnlen(start, bytes_.size() - offset);
        if (offset + length >= bytes_.size()) {
            return std::nullopt;
        }
        return std::string(start, length);
    }

private:
    std::vector<char> bytes_;
};

// The file offset of a relative virtual address, through the section table.
std::optional<std::size_t> offsetOf(const std::vector<IMAGE_SECTION_HEADER>& sections, DWORD rva) {
    for (const auto& section : sections) {
        const DWORD extent = std::max(section.Misc.VirtualSize, section.SizeOfRawData);
        if (rva >= section.VirtualAddress && rva - section.VirtualAddress < extent) {
            return std::size_t{section.PointerToRawData} + (rva - section.VirtualAddress);
        }
    }
    return std::nullopt;
}

// The two PE layouts: PE32 (x86) and PE32+ (x64), which differ in their headers and thunks.
struct Pe32 {
    using Headers = IMAGE_NT_HEADERS32;
    using Thunk = DWORD;
    static constexpr WORD kMagic = IMAGE_NT_OPTIONAL_HDR32_MAGIC;
    static constexpr Thunk kOrdinal = IMAGE_ORDINAL_FLAG32;
};
struct Pe64 {
    using Headers = IMAGE_NT_HEADERS64;
    using Thunk = ULONGLONG;
    static constexpr WORD kMagic = IMAGE_NT_OPTIONAL_HDR64_MAGIC;
    static constexpr Thunk kOrdinal = IMAGE_ORDINAL_FLAG64;
};

template <typename Layout>
std::vector<std::string> missingIn(const PeImage& image, std::size_t headersAt,
                                   const std::filesystem::path& file) {
    std::vector<std::string> missing;
    const auto nt = image.at<typename Layout::Headers>(headersAt);
    if (!nt) {
        return missing;
    }
    const std::size_t sectionTable =
        headersAt + sizeof(DWORD) + sizeof(IMAGE_FILE_HEADER) + nt->FileHeader.SizeOfOptionalHeader;
    std::vector<IMAGE_SECTION_HEADER> sections;
    for (WORD i = 0; i < nt->FileHeader.NumberOfSections; ++i) {
        const auto section =
            image.at<IMAGE_SECTION_HEADER>(sectionTable + i * sizeof(IMAGE_SECTION_HEADER));
        if (!section) {
            return missing;
        }
        sections.push_back(*section);
    }
    const auto& directory = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    auto descriptorAt = offsetOf(sections, directory.VirtualAddress);
    for (; descriptorAt; *descriptorAt += sizeof(IMAGE_IMPORT_DESCRIPTOR)) {
        const auto descriptor = image.at<IMAGE_IMPORT_DESCRIPTOR>(*descriptorAt);
        if (!descriptor || descriptor->Name == 0) {
            break;
        }
        const auto nameAt = offsetOf(sections, descriptor->Name);
        const auto dll = nameAt ? image.text(*nameAt) : std::nullopt;
        if (!dll) {
            break;
        }
        // The library as the module would get it: beside the module first.
        const auto beside = file.parent_path() / *dll;
        HMODULE library = LoadLibraryExW(beside.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
        if (library == nullptr) {
            library = LoadLibraryA(dll->c_str());
        }
        if (library == nullptr) {
            missing.push_back(*dll + " (the whole library)");
            continue;
        }
        const DWORD thunks = descriptor->OriginalFirstThunk != 0 ? descriptor->OriginalFirstThunk
                                                                 : descriptor->FirstThunk;
        auto thunkAt = offsetOf(sections, thunks);
        for (; thunkAt; *thunkAt += sizeof(typename Layout::Thunk)) {
            const auto thunk = image.at<typename Layout::Thunk>(*thunkAt);
            if (!thunk || *thunk == 0) {
                break;
            }
            if ((*thunk & Layout::kOrdinal) != 0) {
                const WORD ordinal = static_cast<WORD>(*thunk & 0xFFFF);
                if (GetProcAddress(library, MAKEINTRESOURCEA(ordinal)) == nullptr) {
                    missing.push_back(*dll + " ordinal " + std::to_string(ordinal));
                }
                continue;
            }
            const auto byNameAt = offsetOf(sections, static_cast<DWORD>(*thunk));
            const auto name = byNameAt ? image.text(*byNameAt + sizeof(WORD)) : std::nullopt;
            if (name && GetProcAddress(library, name->c_str()) == nullptr) {
                missing.push_back(readableSymbol(*name));
            }
        }
        FreeLibrary(library);
    }
    return missing;
}

}  // namespace

std::vector<std::string> missingImports(const std::filesystem::path& file) {
    const PeImage image(file);
    const auto dos = image.at<IMAGE_DOS_HEADER>(0);
    if (!dos || dos->e_magic != IMAGE_DOS_SIGNATURE) {
        return {};
    }
    const auto headersAt = static_cast<std::size_t>(dos->e_lfanew);
    const auto signature = image.at<DWORD>(headersAt);
    const auto magic = image.at<WORD>(headersAt + sizeof(DWORD) + sizeof(IMAGE_FILE_HEADER));
    if (!signature || *signature != IMAGE_NT_SIGNATURE || !magic) {
        return {};
    }
    switch (*magic) {
        case Pe32::kMagic:
            return missingIn<Pe32>(image, headersAt, file);
        case Pe64::kMagic:
            return missingIn<Pe64>(image, headersAt, file);
        default:
            return {};
    }
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
