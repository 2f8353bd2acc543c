#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "simhost/export.h"

namespace simhost {

// An ELF file of this machine's byte order, read from disk with every offset checked against
// the file's size. Only the headers are read.
class SIMHOST_API ElfFile {
public:
    // Nothing when the file cannot be read or is no ELF file of this machine's byte order.
    static std::optional<ElfFile> read(const std::filesystem::path& file);

    // Whether every loadable segment the headers promise lies within the file.
    bool segmentsFitInFile() const { return segmentsFit_; }
    // The names of the dynamic symbols the file needs from elsewhere (not weak ones).
    const std::vector<std::string>& undefinedSymbols() const { return undefined_; }

private:
    bool segmentsFit_ = false;
    std::vector<std::string> undefined_;

    template <typename Types>
    static ElfFile parse(std::ifstream& in, std::uint64_t size);
};

}  // namespace simhost
