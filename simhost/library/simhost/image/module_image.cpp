#include "simhost/image/module_image.h"

namespace simhost {

namespace {

constexpr std::uint64_t kPeHeaderAt = 0x3C;  // where an MZ header keeps the PE header's offset

}  // namespace

std::optional<ImageKind> imageKind(const ByteReader& image) {
    const auto magic = image.bytes(0, 4, "the magic number");
    if (magic && *magic ==
                     "\x7F"
                     "ELF") {
        const auto order = image.number(5, 1, "the byte order");
        const bool big = order && *order == 2;
        const auto machine = image.number(18, 2, "the machine", big);
        if (machine) {
            return ImageKind{ImageFormat::Elf, static_cast<std::uint16_t>(*machine), big};
        }
    }
    if (magic && magic->starts_with("MZ")) {
        if (const auto at = image.number(kPeHeaderAt, 4, "the PE header's offset")) {
            const auto signature = image.bytes(*at, 4, "the PE signature");
            const auto machine = image.number(*at + 4, 2, "the machine");
            if (signature && *signature == std::string("PE\0\0", 4) && machine) {
                return ImageKind{ImageFormat::Pe, static_cast<std::uint16_t>(*machine)};
            }
        }
    }
    return std::nullopt;
}

Result<ModuleImage> readModuleImage(const ByteReader& image) {
    const auto kind = imageKind(image);
    if (!kind) {
        return refuse("is neither an ELF nor a PE image");
    }
    return kind->format == ImageFormat::Elf ? readElfImage(image, *kind)
                                            : readPeImage(image, *kind);
}

}  // namespace simhost
