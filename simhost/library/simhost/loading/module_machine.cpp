#include "simhost/loading/module_machine.h"

#include <array>
#include <cstdint>
#include <fstream>
#include <optional>
#include <string>

namespace simhost {

namespace {

enum class Format { Elf, Pe };

struct Machine {
    Format format;
    std::uint16_t code;
};

// The processors a plug-in might be built for, by their codes in each format.
struct KnownMachine {
    std::uint16_t elf;
    std::uint16_t pe;
    const char* name;
};
constexpr std::array kMachines{
    KnownMachine{3, 0x014C, "x86"},       KnownMachine{62, 0x8664, "x86-64"},
    KnownMachine{183, 0xAA64, "AArch64"}, KnownMachine{40, 0x01C4, "ARM"},
    KnownMachine{243, 0, "RISC-V"},       KnownMachine{8, 0x0166, "MIPS"},
    KnownMachine{21, 0, "PowerPC 64"},    KnownMachine{22, 0, "S/390"},
};

#if defined(_WIN32)
constexpr Format kHostFormat = Format::Pe;
#else
constexpr Format kHostFormat = Format::Elf;
#endif

#if defined(__x86_64__) || defined(_M_X64)
constexpr const char* kHostMachine = "x86-64";
#elif defined(__i386__) || defined(_M_IX86)
constexpr const char* kHostMachine = "x86";
#elif defined(__aarch64__) || defined(_M_ARM64)
constexpr const char* kHostMachine = "AArch64";
#else
constexpr const char* kHostMachine = nullptr;  // every module is taken to the system loader
#endif

std::uint32_t little(const unsigned char* bytes, int count) {
    std::uint32_t value = 0;
    for (int i = count - 1; i >= 0; --i) {
        value = (value << 8) | bytes[i];
    }
    return value;
}

std::optional<Machine> machineOf(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::array<unsigned char, 64> head{};
    if (!in.read(reinterpret_cast<char*>(head.data()), head.size())) {
        return std::nullopt;
    }
    if (head[0] == 0x7F && head[1] == 'E' && head[2] == 'L' && head[3] == 'F') {
        // e_machine, in the byte order the header declares.
        const bool bigEndian = head[5] == 2;
        const auto code = static_cast<std::uint16_t>(bigEndian ? (head[18] << 8) | head[19]
                                                               : (head[19] << 8) | head[18]);
        return Machine{Format::Elf, code};
    }
    if (head[0] == 'M' && head[1] == 'Z') {
        std::array<unsigned char, 6> pe{};
        in.seekg(static_cast<std::streamoff>(little(&head[0x3C], 4)));
        if (in.read(reinterpret_cast<char*>(pe.data()), pe.size()) && pe[0] == 'P' &&
            pe[1] == 'E' && pe[2] == 0 && pe[3] == 0) {
            return Machine{Format::Pe, static_cast<std::uint16_t>(little(&pe[4], 2))};
        }
    }
    return std::nullopt;
}

}  // namespace

Result<> builtForThisMachine(const std::filesystem::path& file) {
    const auto machine = machineOf(file);
    if (!machine || kHostMachine == nullptr) {
        return {};
    }
    if (machine->format != kHostFormat) {
        return refuse(machine->format == Format::Pe
                          ? "is a Windows module; this host loads ELF modules"
                          : "is an ELF module; this host loads Windows modules");
    }
    std::string name;
    for (const KnownMachine& known : kMachines) {
        if ((machine->format == Format::Elf ? known.elf : known.pe) == machine->code &&
            machine->code != 0) {
            name = known.name;
        }
    }
    if (name == kHostMachine) {
        return {};
    }
    if (name.empty()) {
        name = "machine " + std::to_string(machine->code);
    }
    return refuse("built for " + name + "; this host runs " + kHostMachine);
}

}  // namespace simhost
