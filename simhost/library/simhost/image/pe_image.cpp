// PE images, PE32 (x86) and PE32+ (x64), read by field offsets rather than through the system's
// structures, so that every platform reads them alike.
#include <algorithm>
#include <utility>
#include <vector>

#include "simhost/image/module_image.h"

namespace simhost {

namespace {

constexpr std::uint64_t kPe32 = 0x10B;
constexpr std::uint64_t kPe32Plus = 0x20B;
constexpr std::uint64_t kSectionSize = 40;
constexpr std::uint64_t kDescriptorSize = 20;
constexpr std::uint64_t kMostImports = 1 << 16;

struct Section {
    std::uint64_t address, extent, fileOffset;
};

struct Headers {
    bool plus = false;  // PE32+
    std::uint64_t headersSize = 0;
    std::uint64_t importsAt = 0;  // relative virtual address; 0 without imports
    std::vector<Section> sections;
};

// The file offset of a relative virtual address: within the headers, or through a section.
Result<std::uint64_t> offsetOf(const Headers& headers, std::uint64_t address,
                               std::string_view what) {
    if (address < headers.headersSize) {
        return address;
    }
    for (const Section& section : headers.sections) {
        if (address >= section.address && address - section.address < section.extent) {
            return section.fileOffset + (address - section.address);
        }
    }
    return refuse(std::string(what) + " lies in no section");
}

Result<Headers> readHeaders(const ByteReader& image) {
    FieldReader field(image);
    const std::uint64_t at = field(0x3C, 4, "the MZ header");
    const std::uint64_t sectionCount = field(at + 6, 2, "the PE header");
    const std::uint64_t optionalSize = field(at + 20, 2, "the PE header");
    const std::uint64_t optional = at + 24;
    Headers headers;
    const std::uint64_t magic = field(optional, 2, "the optional header");
    if (!field.failed() && magic != kPe32 && magic != kPe32Plus) {
        return refuse("its optional header is neither PE32 nor PE32+");
    }
    headers.plus = magic == kPe32Plus;
    headers.headersSize = field(optional + 60, 4, "the optional header");
    const std::uint64_t directories = optional + (headers.plus ? 112 : 96);
    const std::uint64_t directoryCount =
        field(optional + (headers.plus ? 108 : 92), 4, "the optional header");
    if (directoryCount > 1 && directories + 16 <= optional + optionalSize) {
        headers.importsAt = field(directories + 8, 4, "the import directory's entry");
    }
    const std::uint64_t table = optional + optionalSize;
    if (auto sections = image.within(table, sectionCount * kSectionSize, "the section table");
        !sections) {
        return Refusal{sections.reason()};
    }
    for (std::uint64_t i = 0; i < sectionCount; ++i) {
        const std::uint64_t entry = table + i * kSectionSize;
        const std::uint64_t virtualSize = field(entry + 8, 4, "");
        const std::uint64_t rawSize = field(entry + 16, 4, "");
        const std::uint64_t rawAt = field(entry + 20, 4, "");
        if (rawAt > image.size() || rawSize > image.size() - rawAt) {
            return refuse("section " + std::to_string(i) +
                          "'s data reaches past the end of the file");
        }
        // A section's bytes past its raw data are zeros in memory, not the file's next bytes.
        const std::uint64_t extent = virtualSize == 0 ? rawSize : std::min(virtualSize, rawSize);
        headers.sections.push_back({field(entry + 12, 4, ""), extent, rawAt});
    }
    if (field.failed()) {
        return field.refusal();
    }
    return headers;
}

// One library's names, from its lookup table of thunks, which ends with a zero.
Result<> readThunks(const ByteReader& image, const Headers& headers, const std::string& library,
                    std::uint64_t lookupAt, ModuleImage& read) {
    FieldReader field(image);
    const int width = headers.plus ? 8 : 4;
    const std::uint64_t byOrdinal = std::uint64_t{1} << (width * 8 - 1);
    for (std::uint64_t at = lookupAt;; at += width) {
        const std::uint64_t thunk = field(at, width, "an import lookup table");
        if (field.failed()) {
            return refuse(field.refusal().reason + " before its end");
        }
        if (thunk == 0) {
            return {};
        }
        if (read.imports.size() == kMostImports) {
            return refuse("it imports more than " + std::to_string(kMostImports) + " names");
        }
        if ((thunk & byOrdinal) != 0) {
            read.imports.push_back({library, "", static_cast<std::uint16_t>(thunk & 0xFFFF)});
            continue;
        }
        const auto hint = offsetOf(headers, thunk & 0x7FFFFFFF, "an imported name");
        if (!hint) {
            return Refusal{hint.reason()};
        }
        std::string name = field.text(*hint + 2, "an imported name");
        if (!field.failed() && name.empty()) {
            return refuse("an imported name from " + library + " is empty");
        }
        read.imports.push_back({library, std::move(name), {}});
    }
}

}  // namespace

Result<ModuleImage> readPeImage(const ByteReader& image, const ImageKind& kind) {
    const auto headers = readHeaders(image);
    if (!headers) {
        return Refusal{headers.reason()};
    }
    ModuleImage read{kind, {}};
    if (headers->importsAt == 0) {
        return read;
    }
    auto at = offsetOf(*headers, headers->importsAt, "the import directory");
    if (!at) {
        return Refusal{at.reason()};
    }
    FieldReader field(image);
    std::uint64_t libraries = 0;
    // The directory ends with an entry whose name is 0; its size field is not to be trusted.
    for (;; *at += kDescriptorSize) {
        const std::uint64_t lookup = field(*at, 4, "the import directory");
        const std::uint64_t name = field(*at + 12, 4, "the import directory");
        const std::uint64_t thunks = field(*at + 16, 4, "the import directory");
        if (field.failed()) {
            return refuse(field.refusal().reason + " before its end");
        }
        if (name == 0) {
            return read;
        }
        if (++libraries > kMostImports) {
            return refuse("it imports from more than " + std::to_string(kMostImports) +
                          " libraries");
        }
        const auto nameAt = offsetOf(*headers, name, "an imported library's name");
        const auto lookupAt =
            offsetOf(*headers, lookup != 0 ? lookup : thunks, "an import lookup table");
        if (!nameAt || !lookupAt) {
            return Refusal{!nameAt ? nameAt.reason() : lookupAt.reason()};
        }
        const std::string library = field.text(*nameAt, "an imported library's name");
        if (field.failed()) {
            return field.refusal();
        }
        if (library.empty()) {
            return refuse("an imported library's name is empty");
        }
        if (auto names = readThunks(image, *headers, library, *lookupAt, read); !names) {
            return Refusal{names.reason()};
        }
    }
}

}  // namespace simhost
