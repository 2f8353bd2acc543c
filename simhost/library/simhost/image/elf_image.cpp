// ELF images of either class and byte order, read by field offsets rather than through the
// system's structures, so that every platform reads them alike.
#include <string>
#include <utility>

#include "simhost/image/module_image.h"

namespace simhost {

namespace {

constexpr std::uint64_t kLoadable = 1;         // PT_LOAD
constexpr std::uint64_t kDynamicSymbols = 11;  // SHT_DYNSYM
constexpr std::uint64_t kWeak = 2;             // STB_WEAK
constexpr std::uint64_t kMostSymbols = 1 << 20;

// Where each field lies in ELFCLASS32 and ELFCLASS64 files, and how wide it is.
struct Layout {
    int word;  // width of addresses, offsets and sizes
    std::uint64_t programHeadersAt, sectionHeadersAt, programEntrySize, programCount;
    std::uint64_t sectionEntrySize, sectionCount;
    std::uint64_t segmentType, segmentOffset, segmentFileSize, segmentSize;
    std::uint64_t sectionType, sectionOffset, sectionBytes, sectionLink, sectionSize;
    std::uint64_t symbolInfo, symbolSection, symbolSize;
};
constexpr Layout kElf32{4, 28, 32, 42, 44, 46, 48, 0, 4, 16, 32, 4, 16, 20, 24, 40, 12, 14, 16};
constexpr Layout kElf64{8, 32, 40, 54, 56, 58, 60, 0, 8, 32, 56, 4, 24, 32, 40, 64, 4, 6, 24};

// A table of `count` entries the header places at `at`: entries of this class's size (the header
// says so at `entrySizeAt`), all of it within the file.
Result<> tableFits(const ByteReader& image, FieldReader& field, std::uint64_t at,
                   std::uint64_t count, std::uint64_t entrySizeAt, std::uint64_t entrySize,
                   const std::string& what) {
    if (count != 0 && field(entrySizeAt, 2, "the header") != entrySize) {
        return refuse("its " + what + "s are not of this class's size");
    }
    return image.within(at, count * entrySize, "the " + what + " table");
}

// Every loadable segment lies within the file: the system loader maps them from it.
Result<> segmentsFit(const ByteReader& image, FieldReader& field, const Layout& layout) {
    const std::uint64_t at = field(layout.programHeadersAt, layout.word, "the header");
    const std::uint64_t count = field(layout.programCount, 2, "the header");
    if (field.failed()) {
        return field.refusal();
    }
    if (auto table = tableFits(image, field, at, count, layout.programEntrySize, layout.segmentSize,
                               "program header");
        !table) {
        return table;
    }
    for (std::uint64_t i = 0; i < count; ++i) {
        const std::uint64_t segment = at + i * layout.segmentSize;
        if (field(segment + layout.segmentType, 4, "a program header") != kLoadable) {
            continue;
        }
        const std::uint64_t offset = field(segment + layout.segmentOffset, layout.word, "");
        const std::uint64_t size = field(segment + layout.segmentFileSize, layout.word, "");
        if (offset > image.size() || size > image.size() - offset) {
            return refuse("loadable segment " + std::to_string(i) +
                          " reaches past the end of the file");
        }
    }
    return {};
}

// The non-weak undefined names of one dynamic symbol table.
Result<> readSymbols(const ByteReader& image, FieldReader& field, const Layout& layout,
                     std::uint64_t section, std::uint64_t names, ModuleImage& read) {
    const std::uint64_t at = field(section + layout.sectionOffset, layout.word, "");
    const std::uint64_t count =
        field(section + layout.sectionBytes, layout.word, "") / layout.symbolSize;
    const std::uint64_t namesAt = field(names + layout.sectionOffset, layout.word, "");
    const std::uint64_t namesSize = field(names + layout.sectionBytes, layout.word, "");
    if (count > kMostSymbols) {
        return refuse("its dynamic symbol table holds more than " + std::to_string(kMostSymbols) +
                      " symbols");
    }
    if (auto table = image.within(at, count * layout.symbolSize, "the dynamic symbol table");
        !table) {
        return table;
    }
    if (auto text = image.within(namesAt, namesSize, "the table of dynamic symbol names"); !text) {
        return text;
    }
    for (std::uint64_t i = 1; i < count; ++i) {  // the first symbol is always the empty one
        const std::uint64_t symbol = at + i * layout.symbolSize;
        const std::uint64_t name = field(symbol, 4, "a dynamic symbol");
        const std::uint64_t binding = field(symbol + layout.symbolInfo, 1, "") >> 4;
        if (field(symbol + layout.symbolSection, 2, "") != 0 || name == 0 || binding == kWeak) {
            continue;  // defined here, nameless, or one the process need not have
        }
        if (name >= namesSize) {
            return refuse("dynamic symbol " + std::to_string(i) + "'s name lies outside its table");
        }
        std::string text = field.text(namesAt + name, "a dynamic symbol's name");
        if (!field.failed() && text.empty()) {
            return refuse("dynamic symbol " + std::to_string(i) + "'s name is empty");
        }
        read.imports.push_back({"", std::move(text), {}});
    }
    return field.failed() ? Result<>(field.refusal()) : Result<>();
}

}  // namespace

Result<ModuleImage> readElfImage(const ByteReader& image, const ImageKind& kind) {
    FieldReader field(image, kind.bigEndian);
    const std::uint64_t elfClass = field(4, 1, "the header");
    if (elfClass != 1 && elfClass != 2) {
        return refuse(field.failed() ? field.refusal().reason
                                     : "is of no ELF class this host knows");
    }
    const Layout& layout = elfClass == 1 ? kElf32 : kElf64;
    if (auto fit = segmentsFit(image, field, layout); !fit) {
        return Refusal{fit.reason()};
    }
    ModuleImage read{kind, {}};
    const std::uint64_t at = field(layout.sectionHeadersAt, layout.word, "the header");
    const std::uint64_t count = field(layout.sectionCount, 2, "the header");
    if (auto table = tableFits(image, field, at, count, layout.sectionEntrySize, layout.sectionSize,
                               "section header");
        !table) {
        return Refusal{table.reason()};
    }
    for (std::uint64_t i = 0; i < count; ++i) {
        const std::uint64_t section = at + i * layout.sectionSize;
        if (field(section + layout.sectionType, 4, "") != kDynamicSymbols) {
            continue;
        }
        const std::uint64_t link = field(section + layout.sectionLink, 4, "");
        if (link >= count) {
            return refuse("the dynamic symbol table's names are in no section");
        }
        const auto symbols =
            readSymbols(image, field, layout, section, at + link * layout.sectionSize, read);
        if (!symbols) {
            return Refusal{symbols.reason()};
        }
    }
    if (field.failed()) {
        return field.refusal();
    }
    return read;
}

}  // namespace simhost
