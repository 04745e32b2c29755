// Building a VS_VERSIONINFO block byte for byte as Windows resource compilers lay it out. Used by the build
// to give the executable its version record, and by tests to make records of their own.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace version_record {

struct Content {
    std::uint16_t Language = 0x0419;  // Russian
    std::uint16_t CodePage = 0x04E3;  // 1251
    std::array<std::uint16_t, 4> FileVersion{};
    std::array<std::uint16_t, 4> ProductVersion{};
    // Value names and texts of the one string table, in order.
    std::vector<std::pair<std::u16string, std::u16string>> Strings;
};

// The whole block, starting with its length and the key "VS_VERSION_INFO".
std::vector<std::uint8_t> Build(const Content& content);

// "1.2.3.4" -> {1, 2, 3, 4}; missing or unreadable parts are 0.
std::array<std::uint16_t, 4> ParseVersion(std::string_view text);

// UTF-8 to UTF-16; a malformed sequence becomes U+FFFD.
std::u16string FromUtf8(std::string_view text);

}  // namespace version_record
