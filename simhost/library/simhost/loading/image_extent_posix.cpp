#include "simhost/loading/elf_file.h"
#include "simhost/loading/image_extent.h"

namespace simhost {

bool imageFitsInFile(const std::filesystem::path& file) {
    const auto elf = ElfFile::read(file);
    return !elf || elf->segmentsFitInFile();
}

}  // namespace simhost
