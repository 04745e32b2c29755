// The length of the line the book file gives an entry, and the number of lines it takes, so that an entry
// the reader could not take back is refused when it is added rather than when the book is saved.
#pragma once

#include <cstddef>
#include <string_view>

namespace book_lines {

// A line holds at most this many characters, its line break not counted.
inline constexpr std::size_t kMaxLineLength = 999;
// A book holds at most this many lines: the reader's line reads, less the one that meets the end of the file.
inline constexpr std::size_t kMaxLines = 99'998;

inline std::size_t DecimalDigits(std::size_t value) {
    std::size_t digits = 1;
    for (; value >= 10; value /= 10) {
        ++digits;
    }
    return digits;
}

// " <position> <path in token form>", from the length of the path in token form.
inline std::size_t TestFileLineLength(std::size_t position, std::size_t tokenPathLength) {
    return 2 + DecimalDigits(position) + tokenPathLength;
}

// "<name>|<description path in token form>", from the two lengths.
inline std::size_t SinonimLineLength(std::size_t nameLength, std::size_t descTokenLength) {
    return nameLength + 1 + descTokenLength;
}

// True when the text holds a byte below 0x20 (NUL, a line break, any other control byte). No Windows path
// and no chip name holds one; in a path it would cut the file name short, in the book it would break a line.
// A loop without an early exit: the compiler makes vector code of it, and the save and the load check every
// entry of a large book with it.
inline bool HasControlByte(std::string_view text) {
    bool found = false;
    for (const char c : text) {
        found |= static_cast<unsigned char>(c) < 0x20;
    }
    return found;
}

}  // namespace book_lines
