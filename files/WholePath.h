// The system calls that open, create and rename files read a path up to its first NUL: "book.spr<NUL>.txt"
// would name book.spr. No path the editor stores holds a byte below 0x20 (no Windows path can), so a path
// that holds one is refused before it reaches the system, whatever file its first part would have named.
#pragma once

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <system_error>
#include <type_traits>

namespace whole_path {

inline bool PassesWhole(const std::filesystem::path& path) {
    using Char = std::filesystem::path::value_type;
    const auto& text = path.native();
    return std::none_of(text.begin(), text.end(), [](Char c) {
        return static_cast<std::uint32_t>(static_cast<std::make_unsigned_t<Char>>(c)) < 0x20u;
    });
}

// What the file functions give for such a path.
inline std::error_code ControlCharacterError() {
    return std::make_error_code(std::errc::illegal_byte_sequence);
}

}  // namespace whole_path
