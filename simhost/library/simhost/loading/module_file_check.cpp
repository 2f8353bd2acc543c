#include "simhost/loading/module_file_check.h"

#include <system_error>

#include "simhost/image/module_image.h"
#include "simhost/loading/module_machine.h"

namespace simhost {

Result<> fitForLoading(const std::filesystem::path& file) {
    std::error_code error;
    const auto status = std::filesystem::status(file, error);
    switch (status.type()) {
        case std::filesystem::file_type::not_found:
            return refuse("no such file");
        case std::filesystem::file_type::directory:
            return refuse("is a directory, not a module");
        case std::filesystem::file_type::regular:
        case std::filesystem::file_type::none:  // could not look: the loader will say why
        case std::filesystem::file_type::unknown:
            break;
        default:
            return refuse("is not a regular file");
    }
    const auto image = ByteReader::open(file);
    const auto kind = image ? imageKind(*image) : std::nullopt;
    if (!kind) {
        return {};  // no module the host reads: the system loader says why
    }
    if (auto machine = builtForThisMachine(*kind); !machine) {
        return machine;
    }
    if (const auto read = readModuleImage(*image); !read) {
        return refuse("is cut short or damaged: " + read.reason());
    }
    return {};
}

}  // namespace simhost
