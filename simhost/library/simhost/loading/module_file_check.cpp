#include "simhost/loading/module_file_check.h"

#include <bit>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <system_error>
#include <vector>

#if !defined(_WIN32)
#include <elf.h>
#endif

namespace simhost {

namespace {

#if !defined(_WIN32)
template <typename Header, typename ProgramHeader>
bool segmentsFitInFile(std::ifstream& in, std::uint64_t fileSize) {
    Header header{};
    in.seekg(0);
    if (fileSize < sizeof header || !in.read(reinterpret_cast<char*>(&header), sizeof header)) {
        return false;
    }
    if (header.e_phentsize != sizeof(ProgramHeader)) {
        return false;
    }
    const std::uint64_t tableSize = std::uint64_t{header.e_phnum} * sizeof(ProgramHeader);
    if (header.e_phoff > fileSize || tableSize > fileSize - header.e_phoff) {
        return false;
    }
    std::vector<ProgramHeader> segments(header.e_phnum);
    in.seekg(static_cast<std::streamoff>(header.e_phoff));
    if (!in.read(reinterpret_cast<char*>(segments.data()),
                 static_cast<std::streamsize>(tableSize))) {
        return false;
    }
    for (const ProgramHeader& segment : segments) {
        if (segment.p_type == PT_LOAD &&
            (segment.p_offset > fileSize || segment.p_filesz > fileSize - segment.p_offset)) {
            return false;
        }
    }
    return true;
}

// False for an ELF file whose loadable segments do not all lie within it. Anything that is no
// ELF file of this machine's byte order is left to the system loader to refuse.
bool elfSegmentsFitInFile(const std::filesystem::path& file, std::uint64_t fileSize) {
    std::ifstream in(file, std::ios::binary);
    unsigned char ident[EI_NIDENT] = {};
    if (!in.read(reinterpret_cast<char*>(ident), sizeof ident) ||
        std::memcmp(ident, ELFMAG, SELFMAG) != 0) {
        return true;
    }
    const bool littleEndian = std::endian::native == std::endian::little;
    if (ident[EI_DATA] != (littleEndian ? ELFDATA2LSB : ELFDATA2MSB)) {
        return true;
    }
    switch (ident[EI_CLASS]) {
        case ELFCLASS32:
            return segmentsFitInFile<Elf32_Ehdr, Elf32_Phdr>(in, fileSize);
        case ELFCLASS64:
            return segmentsFitInFile<Elf64_Ehdr, Elf64_Phdr>(in, fileSize);
        default:
            return true;
    }
}
#endif

}  // namespace

std::optional<std::string> refusalBeforeOpening(const std::filesystem::path& file) {
    std::error_code error;
    const auto status = std::filesystem::status(file, error);
    switch (status.type()) {
        case std::filesystem::file_type::not_found:
            return "no such file";
        case std::filesystem::file_type::directory:
            return "is a directory, not a module";
        case std::filesystem::file_type::regular:
        case std::filesystem::file_type::none:  // could not look: the loader will say why
        case std::filesystem::file_type::unknown:
            break;
        default:
            return "is not a regular file";
    }
#if !defined(_WIN32)
    const auto size = std::filesystem::file_size(file, error);
    if (!error && !elfSegmentsFitInFile(file, size)) {
        return "is cut short or damaged";
    }
#endif
    return std::nullopt;
}

}  // namespace simhost
