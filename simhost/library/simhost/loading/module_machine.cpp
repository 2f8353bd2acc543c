#include "simhost/loading/module_machine.h"

#include <array>
#include <cstdint>
#include <string>

namespace simhost {

namespace {

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
constexpr ImageFormat kHostFormat = ImageFormat::Pe;
#else
constexpr ImageFormat kHostFormat = ImageFormat::Elf;
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

}  // namespace

Result<> builtForThisMachine(const ImageKind& machine) {
    if (kHostMachine == nullptr) {
        return {};
    }
    if (machine.format != kHostFormat) {
        return refuse(machine.format == ImageFormat::Pe
                          ? "is a Windows module; this host loads ELF modules"
                          : "is an ELF module; this host loads Windows modules");
    }
    std::string name;
    for (const KnownMachine& known : kMachines) {
        if ((machine.format == ImageFormat::Elf ? known.elf : known.pe) == machine.machine &&
            machine.machine != 0) {
            name = known.name;
        }
    }
    if (name == kHostMachine) {
        return {};
    }
    if (name.empty()) {
        name = "machine " + std::to_string(machine.machine);
    }
    return refuse("built for " + name + "; this host runs " + kHostMachine);
}

}  // namespace simhost
