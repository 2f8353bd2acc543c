#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "simhost/export.h"
#include "simhost/image/byte_reader.h"
#include "simhost/result.h"

namespace simhost {

enum class ImageFormat { Elf, Pe };

// What a module file's first header says: its format, the processor its code is for (the
// format's own machine code) and, for ELF, its byte order.
struct ImageKind {
    ImageFormat format = ImageFormat::Elf;
    std::uint16_t machine = 0;
    bool bigEndian = false;
};

// A name the module needs from elsewhere: from a named library (PE), or from whatever the
// process has (ELF, where `library` is empty); a PE import by number has an ordinal, no name.
struct ImportedName {
    std::string library;
    std::string name;
    std::optional<std::uint16_t> ordinal;
};

// What the host reads of a module file before it asks the system to load it.
struct ModuleImage {
    ImageKind kind;
    std::vector<ImportedName> imports;
};

// The kind from the first header alone; nothing for a file that is neither ELF nor PE.
SIMHOST_API std::optional<ImageKind> imageKind(const ByteReader& image);

// The whole image read: every header, table and name the loader would use must lie within the
// file and every table must end, or the image is refused with the part out of place named
// ("the section table reaches past the end of the file (400 bytes at 9000 of 4096)"). ELF
// imports leave out weak names, which the process need not have.
SIMHOST_API Result<ModuleImage> readModuleImage(const ByteReader& image);

// The two formats' readers, beneath readModuleImage.
Result<ModuleImage> readElfImage(const ByteReader& image, const ImageKind& kind);
Result<ModuleImage> readPeImage(const ByteReader& image, const ImageKind& kind);

}  // namespace simhost
