// The prefix-list file (*.prf): one manufacturer prefix per line, Windows-1251, CR LF after every line, no
// header. Entries are kept exactly: blanks, empty lines and duplicates included.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "core/BookLines.h"

namespace prefix_file {

// No list of prefixes comes near this size; a larger file was picked by mistake and is not read at all.
inline constexpr std::uintmax_t kMaxFileBytes = 16u * 1024u * 1024u;

// A prefix list is read and ticked through by a person in a narrow panel. The makers of chips, domestic and
// foreign, use a few hundred letter groups between them, and the fullest lists kept by hand, with every
// variant, come to a couple of thousand; 5 000 leaves room over that and keeps every pass of the panel over
// its entries quick. A file with more lines is a word list, a log or a data file picked by mistake.
inline constexpr std::size_t kMaxEntries = 5000;
// A prefix longer than a line of the book could never give a name the book can hold.
inline constexpr std::size_t kMaxEntryLength = book_lines::kMaxLineLength;

// Lines end at CR LF, a lone LF or a lone CR; the last line counts without a line end, while the empty
// remainder after a final line end is no entry.
std::vector<std::string> SplitEntries(std::string_view content);

// Each entry followed by CR LF; an empty list is an empty file.
std::string Format(const std::vector<std::string>& entries);

enum class ReadFailure {
    None,
    NotRegularFile,  // a folder, a named pipe, a device: refused before it is opened
    TooLarge,        // over kMaxFileBytes: refused before it is read
    CannotRead,      // missing, no permission, a read error: see Error
    // The file was read but is no prefix list:
    ControlByte,     // a byte below 0x20 other than CR and LF: binary data
    LineTooLong,     // a line over kMaxEntryLength
    TooManyEntries,  // more than kMaxEntries lines
};

// True for the failures that say the file is not a prefix list at all, as against one that could not be read.
inline bool IsNotAPrefixList(ReadFailure failure) {
    return failure != ReadFailure::None && failure != ReadFailure::CannotRead;
}

struct ReadResult {
    ReadFailure Failure = ReadFailure::None;
    std::error_code Error;
    bool Ok() const { return Failure == ReadFailure::None; }
};

// Splits `content` into `entries` when it is a prefix list; otherwise says why and leaves `entries` as it
// was. The bytes are looked at once, and the first fault ends the look.
ReadFailure Parse(std::string_view content, std::vector<std::string>& entries);

// Reads the entries of the file at `path` into `entries`. The kind and size of the file are checked before
// it is opened, so a named pipe never blocks the caller; then its content must be a prefix list. On failure
// `entries` is left as it was.
ReadResult Read(const std::filesystem::path& path, std::vector<std::string>& entries);

// Writes the entries so that the file holds either its old content or the whole new list, never a part.
std::error_code Write(const std::filesystem::path& path, const std::vector<std::string>& entries);

}  // namespace prefix_file
