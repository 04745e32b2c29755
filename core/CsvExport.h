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
// as it stands otherwise.
void AppendField(std::string& out, std::string_view field);

// The whole table: a header row, then a row per analog in book order with the test file's path and the
// description path as the book file stores them (in <Tests>: and <Desc>: form). A test file without
// analogs still gives one row, with the name and description empty.
std::string Format(const TSprav& sprav, const ServiceDirectories& dirs);

// Writes the table to `path`, replacing the file only once every byte has reached the disk. `written`,
// when given, receives the bytes of a completed write.
std::error_code Save(const std::filesystem::path& path, const TSprav& sprav, const ServiceDirectories& dirs,
                     std::string* written = nullptr);

}  // namespace csv_export
