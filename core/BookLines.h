// The length of the line the book file gives an entry, so that an entry the reader could not take back is
// refused when it is typed rather than when the book is saved.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace book_lines {

// A line holds at most this many characters, its line break not counted.
inline constexpr std::size_t kMaxLineLength = 999;

// " <position> <path in token form>"
inline std::size_t TestFileLineLength(std::size_t position, std::string_view tokenPath) {
    return 2 + std::to_string(position).size() + tokenPath.size();
}

// "<name>|<description path in token form>"
inline std::size_t SinonimLineLength(std::string_view name, std::string_view descToken) {
    return name.size() + 1 + descToken.size();
}

}  // namespace book_lines
