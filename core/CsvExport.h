// The book as a table that a spreadsheet opens: every analog a row of its test file, its chip name and its
// description path. The users' spreadsheets are Russian ones on Windows, which read a ".csv" file in the
// ANSI code page with ";" between fields; the bytes are the book's own Windows-1251 text, so nothing is
// converted. Fields are quoted as RFC 4180 says, rows end with CR LF.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>

#include "core/PathTokens.h"

class TSprav;

namespace csv_export {

inline constexpr char kSeparator = ';';

// Appends `field`, in double quotes with its quotes doubled when it holds the separator, a quote, CR or LF;
// as it stands otherwise. A field that begins with "=", "+", "-", "@", a tab or CR gets a leading
// apostrophe, so that a spreadsheet shows it as the text it is rather than computing it.
void AppendField(std::string& out, std::string_view field);

// The whole table: a header row, then a row per analog in book order with the test file's path and the
// description path as the book file stores them (in <Tests>: and <Desc>: form). A test file without
// analogs still gives one row, with the name and description empty.
std::string Format(const TSprav& sprav, const ServiceDirectories& dirs);

// True when `target` reaches the file `book` (a link, a hard link or another spelling of the same file).
// A table must never take the place of the book it was made from: the next start could not open it.
bool IsTheBookItself(const std::filesystem::path& target, const std::filesystem::path& book);

// The error of Save for a target that IsTheBookItself.
std::error_code TargetIsTheBookError();

// Writes the table to `path`, replacing the file only once every byte has reached the disk; refuses a
// `path` that is the book's own file `book` (empty for a book not saved yet). `written`, when given,
// receives the bytes of a completed write.
std::error_code Save(const std::filesystem::path& path, const TSprav& sprav, const ServiceDirectories& dirs,
                     const std::filesystem::path& book, std::string* written = nullptr);

}  // namespace csv_export
