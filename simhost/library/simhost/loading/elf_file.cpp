#include "simhost/loading/elf_file.h"

#include <bit>
#include <cstring>
#include <system_error>

#include <elf.h>

namespace simhost {

namespace {

struct Elf32 {
    using Header = Elf32_Ehdr;
    using ProgramHeader = Elf32_Phdr;
    using SectionHeader = Elf32_Shdr;
    using Symbol = Elf32_Sym;
    static unsigned char binding(unsigned char info) { return ELF32_ST_BIND(info); }
};

struct Elf64 {
    using Header = Elf64_Ehdr;
    using ProgramHeader = Elf64_Phdr;
    using SectionHeader = Elf64_Shdr;
    using Symbol = Elf64_Sym;
    static unsigned char binding(unsigned char info) { return ELF64_ST_BIND(info); }
};

// `count` records of T at `offset`, when they all lie within the file.
template <typename T>
std::optional<std::vector<T> > records(std::ifstream& in, std::uint64_t size, std::uint64_t offset,
                                       std::uint64_t count) {
    if (offset > size || count > (size - offset) / sizeof(T)) {
        return std::nullopt;
    }
    std::vector<T> result(static_cast<std::size_t>(count));
    in.clear();
    in.seekg(static_cast<std::streamoff>(offset));
    if (!in.read(reinterpret_cast<char*>(result.data()),
                 static_cast<std::streamsize>(count * sizeof(T)))) {
        return std::nullopt;
    }
    return result;
}

}  // namespace

template <typename Types>
ElfFile ElfFile::parse(std::ifstream& in, std::uint64_t size) {
    ElfFile elf;
    const auto header = records<typename Types::Header>(in, size, 0, 1);
    if (!header || header->front().e_phentsize != sizeof(typename Types::ProgramHeader)) {
        return elf;  // damaged: nothing fits
    }
    const auto& h = header->front();
    const auto segments = records<typename Types::ProgramHeader>(in, size, h.e_phoff, h.e_phnum);
    if (!segments) {
        return elf;
    }
    elf.segmentsFit_ = true;
    for (const auto& segment : *segments) {
        if (segment.p_type == PT_LOAD &&
            (segment.p_offset > size || segment.p_filesz > size - segment.p_offset)) {
            elf.segmentsFit_ = false;
        }
    }

    // The dynamic symbol table and its names, found through the section headers.
    if (h.e_shentsize != sizeof(typename Types::SectionHeader)) {
        return elf;
    }
    const auto sections = records<typename Types::SectionHeader>(in, size, h.e_shoff, h.e_shnum);
    if (!sections) {
        return elf;
    }
    for (const auto& section : *sections) {
        if (section.sh_type != SHT_DYNSYM || section.sh_link >= sections->size()) {
            continue;
        }
        const auto& names = (*sections)[section.sh_link];
        const auto symbols = records<typename Types::Symbol>(
            in, size, section.sh_offset, section.sh_size / sizeof(typename Types::Symbol));
        const auto text = records<char>(in, size, names.sh_offset, names.sh_size);
        if (!symbols || !text) {
            continue;
        }
        for (const auto& symbol : *symbols) {
            if (symbol.st_shndx != SHN_UNDEF || symbol.st_name == 0 ||
                Types::binding(symbol.st_info) == STB_WEAK || symbol.st_name >= text->size()) {
                continue;
            }
            const char* name = text->data() + symbol.st_name;
            elf.undefined_.emplace_back(name, strnlen(name, text->size() - symbol.st_name));
        }
    }
    return elf;
}

std::optional<ElfFile> ElfFile::read(const std::filesystem::path& file) {
    std::error_code error;
    const std::uint64_t size = std::filesystem::file_size(file, error);
    std::ifstream in(file, std::ios::binary);
    unsigned char ident[EI_NIDENT] = {};
    if (error || !in.read(reinterpret_cast<char*>(ident), sizeof ident) ||
        std::memcmp(ident, ELFMAG, SELFMAG) != 0) {
        return std::nullopt;
    }
    const bool littleEndian = std::endian::native == std::endian::little;
    if (ident[EI_DATA] != (littleEndian ? ELFDATA2LSB : ELFDATA2MSB)) {
        return std::nullopt;
    }
    switch (ident[EI_CLASS]) {
        case ELFCLASS32:
            return parse<Elf32>(in, size);
        case ELFCLASS64:
            return parse<Elf64>(in, size);
        default:
            return std::nullopt;
    }
}

}  // namespace simhost
