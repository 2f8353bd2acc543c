#include "simhost/loading/module_file_check.h"

#include <system_error>

#include "simhost/loading/elf_file.h"
#include "simhost/loading/module_machine.h"

namespace simhost {

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
    if (auto other = builtForAnotherMachine(file)) {
        return other;
    }
    if (const auto elf = ElfFile::read(file); elf && !elf->segmentsFitInFile()) {
        return "is cut short or damaged";
    }
    return std::nullopt;
}

}  // namespace simhost
