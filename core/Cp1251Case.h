// Letter case of Windows-1251 bytes, for comparisons that ignore it: Latin, the Russian alphabet with Ё, and
// the other Cyrillic letters of the code page.
#pragma once

#include <array>
#include <utility>

namespace cp1251_case {

namespace detail {

constexpr std::array<unsigned char, 256> MakeUpperTable() {
    std::array<unsigned char, 256> table{};
    for (int i = 0; i < 256; ++i) {
        table[i] = static_cast<unsigned char>(i);
    }
    for (int c = 'a'; c <= 'z'; ++c) {
        table[c] = static_cast<unsigned char>(c - 'a' + 'A');
    }
    for (int c = 0xE0; c <= 0xFF; ++c) {
        table[c] = static_cast<unsigned char>(c - 0x20);
    }
    constexpr std::pair<unsigned char, unsigned char> others[] = {
        {0xB8, 0xA8},  // ё
        {0x90, 0x80}, {0x83, 0x81}, {0x9A, 0x8A}, {0x9C, 0x8C}, {0x9D, 0x8D}, {0x9E, 0x8E}, {0x9F, 0x8F},
        {0xA2, 0xA1}, {0xB3, 0xB2}, {0xB4, 0xA5}, {0xBA, 0xAA}, {0xBC, 0xA3}, {0xBE, 0xBD}, {0xBF, 0xAF},
    };
    for (const auto& [lower, upper] : others) {
        table[lower] = upper;
    }
    return table;
}

inline constexpr std::array<unsigned char, 256> kUpper = MakeUpperTable();

}  // namespace detail

// The capital of a letter; any other byte as it is.
constexpr unsigned char Upper(unsigned char c) {
    return detail::kUpper[c];
}

}  // namespace cp1251_case
