// Hostile module files: any bytes through the module-image reader. Each must be read or refused,
// and what is read must be what a sound image could hold.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "simhost/image/module_image.h"

namespace {

void require(bool holds) {
    if (!holds) {
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const simhost::ByteReader reader(bytes);
    const auto image = simhost::readModuleImage(reader);
    if (!image) {
        require(!image.reason().empty());
        return 0;
    }
    require(simhost::imageKind(reader).has_value());
    const bool pe = image->kind.format == simhost::ImageFormat::Pe;
    for (const simhost::ImportedName& imported : image->imports) {
        // An ELF name comes from the process, a PE one from a named library, by name or number;
        // no text is empty or holds a NUL.
        require(imported.library.empty() != pe);
        require(imported.ordinal ? pe && imported.name.empty() : !imported.name.empty());
        require(imported.name.find('\0') == std::string::npos &&
                imported.library.find('\0') == std::string::npos);
    }
    return 0;
}
