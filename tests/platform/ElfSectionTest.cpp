// The lookup of one section of an ELF file from its section headers: on images made here (both classes,
// damaged in every field the lookup trusts) and on this test program itself, whose version record lives in
// its own section.
#include "platform/ElfSection.h"
#include "platform/Paths.h"
#include "platform/VersionInfo.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>
#include <vector>

namespace {

struct Image {
    std::string Bytes;
    std::size_t ShOffField = 0;      // where e_shoff is
    std::size_t ShEntSizeField = 0;  // where e_shentsize is (e_shnum, e_shstrndx follow)
    std::size_t Headers = 0;         // where the section headers start
    std::size_t HeaderSize = 0;
};

void Put(std::string& bytes, std::size_t at, std::uint64_t value, std::size_t size) {
    for (std::size_t i = 0; i < size; ++i) {
        bytes[at + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
    }
}

// An ELF image of the given class with `sections` (name, bytes), a table of names last of them, then the
// section headers; section 0 is the null section, as in every real file.
Image MakeElf(bool is64, const std::vector<std::pair<std::string, std::string>>& sections) {
    const std::size_t ehSize = is64 ? 64 : 52;
    const std::size_t shSize = is64 ? 64 : 40;
    const std::size_t word = is64 ? 8 : 4;
    Image image;
    image.HeaderSize = shSize;
    std::string& bytes = image.Bytes;
    bytes.assign(ehSize, '\0');
    std::memcpy(bytes.data(), "\x7F" "ELF", 4);
    bytes[4] = is64 ? 2 : 1;
    bytes[5] = 1;  // little-endian
    bytes[6] = 1;

    std::string names(1, '\0');
    struct Placed {
        std::size_t Name, Offset, Size;
    };
    std::vector<Placed> placed;
    for (const auto& [name, content] : sections) {
        placed.push_back({names.size(), bytes.size(), content.size()});
        names += name + '\0';
        bytes += content;
    }
    placed.push_back({names.size(), bytes.size(), 0});
    names += std::string(".shstrtab") + '\0';
    placed.back().Size = names.size();
    bytes += names;
    bytes.resize((bytes.size() + 7) & ~std::size_t{7}, '\0');

    image.Headers = bytes.size();
    const std::size_t count = placed.size() + 1;
    bytes.append(count * shSize, '\0');
    for (std::size_t i = 0; i < placed.size(); ++i) {
        const std::size_t at = image.Headers + (i + 1) * shSize;
        Put(bytes, at, placed[i].Name, 4);
        Put(bytes, at + 4, i + 1 == placed.size() ? 3 : 1, 4);  // SHT_STRTAB, SHT_PROGBITS
        const std::size_t offsetField = is64 ? 24 : 16;
        Put(bytes, at + offsetField, placed[i].Offset, word);
        Put(bytes, at + offsetField + word, placed[i].Size, word);
    }
    image.ShOffField = is64 ? 40 : 32;
    image.ShEntSizeField = is64 ? 58 : 46;
    Put(bytes, image.ShOffField, image.Headers, word);
    Put(bytes, image.ShEntSizeField, shSize, 2);
    Put(bytes, image.ShEntSizeField + 2, count, 2);
    Put(bytes, image.ShEntSizeField + 4, count - 1, 2);
    return image;
}

const std::vector<std::pair<std::string, std::string>> kSections = {
    {".text", std::string("\x90\x90\xC3", 3)},
    {".qor_versionX", "not this one"},
    {".qor_version", std::string("the record\0bytes", 16)},
    {".qor_versio", "nor this one"},
};

TEST(ElfSection, FindsTheSectionByItsWholeNameInBothClasses) {
    for (bool is64 : {false, true}) {
        const Image image = MakeElf(is64, kSections);
        EXPECT_EQ(platform::FindElfSectionInBytes(image.Bytes, ".qor_version"), std::string("the record\0bytes", 16))
            << is64;
        EXPECT_EQ(platform::FindElfSectionInBytes(image.Bytes, ".text"), std::string("\x90\x90\xC3", 3)) << is64;
        EXPECT_EQ(platform::FindElfSectionInBytes(image.Bytes, ".data"), std::nullopt) << is64;
        EXPECT_EQ(platform::FindElfSectionInBytes(image.Bytes, ""), std::nullopt) << is64 << " the null section";
    }
}

TEST(ElfSection, DamagedOrForeignImagesGiveNothingAndAreNeverReadPastTheirEnd) {
    const Image good = MakeElf(true, kSections);
    // Cut short anywhere: the headers lie at the end, so nothing is found (and the sanitizers watch the reads).
    for (std::size_t keep = 0; keep < good.Bytes.size(); keep += 5) {
        EXPECT_EQ(platform::FindElfSectionInBytes(good.Bytes.substr(0, keep), ".qor_version"), std::nullopt) << keep;
    }
    struct Damage {
        const char* what;
        std::size_t at;
        std::uint64_t value;
        std::size_t size;
    };
    const std::size_t record = good.Headers + 3 * good.HeaderSize;  // the header of ".qor_version"
    const std::size_t names = good.Headers + 5 * good.HeaderSize;   // the header of ".shstrtab"
    const Damage damages[] = {
        {"big-endian", 5, 2, 1},
        {"unknown class", 4, 3, 1},
        {"headers past the end", good.ShOffField, good.Bytes.size(), 8},
        {"headers at an offset that wraps", good.ShOffField, ~std::uint64_t{0} - 8, 8},
        {"no section headers", good.ShOffField, 0, 8},
        {"a header size of another class", good.ShEntSizeField, 40, 2},
        {"no sections counted", good.ShEntSizeField + 2, 0, 2},
        {"more sections than there are", good.ShEntSizeField + 2, 0xFEFF, 2},
        {"the names' index out of the table", good.ShEntSizeField + 4, 6, 2},
        {"the names' index reserved", good.ShEntSizeField + 4, 0xFFFF, 2},
        {"the section past the end", record + 24, good.Bytes.size() - 4, 8},
        {"the section's size past the end", record + 32, good.Bytes.size(), 8},
        {"the section's size beyond any record", record + 32, std::uint64_t{1} << 40, 8},
        {"the section takes no bytes in the file", record + 4, 8, 4},
        {"its name past the table of names", record, 1000, 4},
        {"the table of names cut before the name ends", names + 32, 20, 8},
    };
    for (const Damage& damage : damages) {
        std::string bytes = good.Bytes;
        Put(bytes, damage.at, damage.value, damage.size);
        EXPECT_EQ(platform::FindElfSectionInBytes(bytes, ".qor_version"), std::nullopt) << damage.what;
    }
}

TEST(ElfSection, ThisProgramsVersionRecordIsInItsOwnSection) {
    const auto section = platform::FindElfSectionInFile(platform::ToOsPath(platform::ExePath()),
                                                  platform::kVersionSectionName);
    ASSERT_TRUE(section.has_value());
    EXPECT_GT(platform::VersionBufferSizeOf(*section), 0u);
    EXPECT_LT(section->size(), 4096u) << "the record alone, not the file";
    EXPECT_EQ(platform::FindElfSectionInFile(std::filesystem::path("/nonexistent/file"), ".qor_version"),
              std::nullopt);
}

}  // namespace
