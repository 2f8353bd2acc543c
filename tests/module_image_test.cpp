// The module-image reader on the smallest modules of each format (tests/fuzz/images), whole and
// damaged: what it reads of a sound image, and the part it names in a damaged one.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "simhost/image/module_image.h"

namespace {

using simhost::ByteReader;
using simhost::ImageFormat;
using simhost::ImportedName;
using simhost::readModuleImage;

std::string imageBytes(const std::string& name) {
    const std::filesystem::path file = std::filesystem::path(TEST_IMAGES_DIR) / name;
    std::string bytes(static_cast<std::size_t>(std::filesystem::file_size(file)), '\0');
    std::ifstream(file, std::ios::binary)
        .read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return bytes;
}

std::uint32_t little32(const std::string& bytes, std::size_t at) {
    std::uint32_t value = 0;
    std::memcpy(&value, bytes.data() + at, sizeof value);
    return value;
}

void putLittle32(std::string& bytes, std::size_t at, std::uint32_t value) {
    std::memcpy(bytes.data() + at, &value, sizeof value);
}

// Imports as "library!name" or "library#ordinal", in the image's order.
std::vector<std::string> importsOf(const std::string& bytes) {
    const auto image = readModuleImage(ByteReader(bytes));
    EXPECT_TRUE(image) << image.reason();
    std::vector<std::string> imports;
    for (const ImportedName& imported : image ? image->imports : std::vector<ImportedName>{}) {
        imports.push_back(imported.library + (imported.ordinal
                                                  ? "#" + std::to_string(*imported.ordinal)
                                                  : "!" + imported.name));
    }
    return imports;
}

struct SoundImage {
    const char* file;
    ImageFormat format;
    int machine;
    std::vector<std::string> imports;
};

TEST(ModuleImage, ReadsTheKindAndImportsOfEachFormatAndClass) {
    const std::vector<std::string> elf{"!hostOperation"};  // the weak `maybe` left out
    const std::vector<std::string> pe{"host.dll#7", "host.dll!hostOperation"};
    for (const SoundImage& sound : {SoundImage{"tiny-x64.so", ImageFormat::Elf, 62, elf},
                                    SoundImage{"tiny-x86.so", ImageFormat::Elf, 3, elf},
                                    SoundImage{"tiny-x64.dll", ImageFormat::Pe, 0x8664, pe},
                                    SoundImage{"tiny-x86.dll", ImageFormat::Pe, 0x14C, pe}}) {
        SCOPED_TRACE(sound.file);
        const std::string bytes = imageBytes(sound.file);
        ASSERT_FALSE(bytes.empty());
        const auto kind = simhost::imageKind(ByteReader(bytes));
        ASSERT_TRUE(kind);
        EXPECT_EQ(kind->format, sound.format);
        EXPECT_EQ(int{kind->machine}, sound.machine);
        EXPECT_EQ(importsOf(bytes), sound.imports);
    }
}

// Every cut of every image is read or refused: before the end of the machine field as no image
// at all, after it with the end of the file named. The sanitizer builds run this too.
TEST(ModuleImage, EveryCutOfAnImageIsReadOrRefusedWithTheEndNamed) {
    for (const char* file : {"tiny-x64.so", "tiny-x86.so", "tiny-x64.dll", "tiny-x86.dll"}) {
        SCOPED_TRACE(file);
        const std::string bytes = imageBytes(file);
        const std::size_t kindEnd = bytes.starts_with("MZ") ? little32(bytes, 0x3C) + 6 : 20;
        int refused = 0;
        for (std::size_t size = 0; size < bytes.size(); ++size) {
            const auto image = readModuleImage(ByteReader(std::string_view(bytes).substr(0, size)));
            if (image) {
                continue;
            }
            ++refused;
            if (size < kindEnd) {
                EXPECT_EQ(image.reason(), "is neither an ELF nor a PE image") << size;
            } else {
                EXPECT_NE(image.reason().find("past the end of the file"), std::string::npos)
                    << size << ": " << image.reason();
            }
        }
        EXPECT_GT(refused, static_cast<int>(kindEnd));
    }
}

TEST(ModuleImage, ElfTablesOutsideTheFileAreRefusedByName) {
    std::string bytes = imageBytes("tiny-x64.so");
    const std::string size = std::to_string(bytes.size());
    std::string sections = bytes;
    putLittle32(sections, 40, 0x7FFFFF00);  // e_shoff
    const std::uint64_t count = static_cast<unsigned char>(bytes[60]);
    EXPECT_EQ(readModuleImage(ByteReader(sections)).reason(),
              "the section header table reaches past the end of the file (" +
                  std::to_string(count * 64) + " bytes at 2147483392 of " + size + ")");
    std::string segments = bytes;
    putLittle32(segments, 32, static_cast<std::uint32_t>(bytes.size() - 8));  // e_phoff
    EXPECT_EQ(readModuleImage(ByteReader(segments)).reason().substr(0, 56),
              "the program header table reaches past the end of the fil");
    std::string classless = bytes;
    classless[4] = 7;
    EXPECT_EQ(readModuleImage(ByteReader(classless)).reason(),
              "is of no ELF class this host knows");
}

TEST(ModuleImage, PeTablesOutsideTheFileOrItsSectionsAreRefusedByName) {
    const std::string bytes = imageBytes("tiny-x64.dll");
    const std::uint32_t headers = little32(bytes, 0x3C);
    const std::size_t optional = headers + 24;
    const std::size_t importEntry = optional + 112 + 8;  // PE32+: the directory's second entry
    ASSERT_NE(little32(bytes, importEntry), 0u);
    std::string nowhere = bytes;
    putLittle32(nowhere, importEntry, 0x7FFF0000);
    EXPECT_EQ(readModuleImage(ByteReader(nowhere)).reason(),
              "the import directory lies in no section");
    const std::size_t sections = optional + static_cast<unsigned char>(bytes[headers + 20]) +
                                 (static_cast<unsigned char>(bytes[headers + 21]) << 8);
    std::string outside = bytes;
    putLittle32(outside, sections + 40 + 20, 0x10000);  // the second section's data
    EXPECT_EQ(readModuleImage(ByteReader(outside)).reason(),
              "section 1's data reaches past the end of the file");
    std::string nameless = bytes;
    nameless[nameless.find("host.dll")] = '\0';
    EXPECT_EQ(readModuleImage(ByteReader(nameless)).reason(),
              "an imported library's name is empty");
    std::string sectionTable = bytes;
    sectionTable[headers + 6] = '\x7F';  // 127 sections
    EXPECT_EQ(readModuleImage(ByteReader(sectionTable)).reason(),
              "the section table reaches past the end of the file (5080 bytes at " +
                  std::to_string(sections) + " of 2560)");
}

}  // namespace
