// The largest book the reader takes: 99 998 lines (the last one ending with CR LF makes 99 999 reads),
// about 20 000 test files of four analogs each, with names and paths like the ones users write. Used by
// the benchmarks and by make_max_book; the same bytes come out on every run.
#pragma once

#include <filesystem>
#include <string>
#include <system_error>

namespace max_book {

inline constexpr std::size_t kLines = 99'998;

// The book file's bytes: Windows-1251 text, CR LF after every line.
std::string MakeText();

// Writes MakeText() to `path` (atomically, like a saved book).
std::error_code Write(const std::filesystem::path& path);

}  // namespace max_book
