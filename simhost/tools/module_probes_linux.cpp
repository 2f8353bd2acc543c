#include <dlfcn.h>
#include <malloc.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <memory>
#include <system_error>

#include "simhost/image/module_image.h"
#include "tools/module_probes.h"
#include "tools/probe_names.h"

namespace simhost {

std::vector<std::string> missingImports(const std::filesystem::path& file) {
    std::vector<std::string> missing;
    const auto reader = ByteReader::open(file);
    const auto image = reader ? readModuleImage(*reader) : Result<ModuleImage>(refuse(""));
    if (!image || image->kind.format != ImageFormat::Elf) {
        return missing;
    }
    for (const ImportedName& imported : image->imports) {
        if (dlsym(RTLD_DEFAULT, imported.name.c_str()) == nullptr) {
            missing.push_back(readableSymbol(imported.name));
        }
    }
    return missing;
}

std::optional<bool> isMapped(const std::filesystem::path& file) {
    const std::string wanted = resolvedName(file).string();
    std::ifstream maps("/proc/self/maps");
    if (!maps.is_open()) {
        return std::nullopt;
    }
    std::string line;
    while (std::getline(maps, line)) {
        if (line.size() >= wanted.size() &&
            line.compare(line.size() - wanted.size(), wanted.size(), wanted) == 0) {
            return true;
        }
    }
    if (maps.bad()) {
        return std::nullopt;
    }
    return false;
}

std::optional<MemoryUse> memoryUse() {
    MemoryUse use;
    const struct mallinfo2 heap = mallinfo2();
    if (heap.arena == 0 && heap.hblkhd == 0) {
        return std::nullopt;  // another allocator than the C library's (valgrind's, say) holds it
    }
    use.heapBytes = static_cast<long long>(heap.uordblks);
    std::ifstream statm("/proc/self/statm");
    long long pages = 0;
    if (!(statm >> pages)) {
        return std::nullopt;
    }
    use.mappedBytes = pages * sysconf(_SC_PAGESIZE);
    return use;
}

}  // namespace simhost
