// The reference-book file: plain Windows-1251 text, no header, CR LF after every line. A test-file line is
// a space, the entry's position, a space and its path in <Tests>: form; each of its analog lines follows
// it as the name, "|" and the description path in <Desc>: form. Other programs of the tester family read
// these files too, so the layout is fixed byte by byte.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "core/BookLines.h"
#include "core/PathTokens.h"

class TSprav;

namespace sprav_file {

// A line holds at most this many characters (its line break not counted).
inline constexpr std::size_t kMaxLineLength = book_lines::kMaxLineLength;
// A file is read with at most this many line reads; the read that meets the end of the file counts too,
// so a file whose last line ends with CR LF holds at most kMaxLineReads - 1 lines.
inline constexpr std::size_t kMaxLines = book_lines::kMaxLines;
inline constexpr std::size_t kMaxLineReads = kMaxLines + 1;
// No file the reader takes is larger: every read a longest line and a CR LF.
inline constexpr std::size_t kMaxBookBytes = kMaxLineReads * (kMaxLineLength + 2);

enum class ReadFailure {
    None,
    CannotRead,    // the file could not be opened or read
    LineTooLong,   // a line over kMaxLineLength characters
    TooManyLines,  // more than kMaxLineReads line reads, or more bytes than kMaxBookBytes
    NotABook,      // an analog line before the first test-file line: no book ever starts so
    ControlByte,   // a line holds a byte below 0x20 (a NUL, a tab...): no path and no name holds one
};

struct ReadResult {
    ReadFailure Failure = ReadFailure::None;
    std::size_t LineNumber = 0;  // 1-based, for LineTooLong, NotABook and ControlByte
    std::error_code Error;       // for CannotRead
    std::string Line;            // for NotABook: the line's text, as stored
    bool Ok() const { return Failure == ReadFailure::None; }
};

// Splits the text into the lines the reader sees: a line ends at CR LF, at LF or at a lone CR, and the
// text after the last line break is one more (possibly empty) line. Fails, leaving `lines` unspecified,
// when a line is too long or the reads run out. The views point into `content`.
ReadResult SplitLines(std::string_view content, std::vector<std::string_view>& lines);

// Fails with NotABook when a line other than an empty one comes before the first test-file line.
ReadResult CheckFirstLine(const std::vector<std::string_view>& lines);

// Fails with ControlByte, naming the first such line, when a line holds a byte below 0x20.
ReadResult CheckControlBytes(const std::vector<std::string_view>& lines);

// Adds the lines to the model in order: test-file lines with <Tests>: expanded, analog lines as they
// stand. Empty lines are skipped; analog lines before the first test-file line (CheckFirstLine refuses
// them first) are refused by the model.
void ParseLines(const std::vector<std::string_view>& lines, TSprav& sprav, std::string_view dirTests);

// Reads a book from its bytes into an empty model. On failure no line is parsed and the model is left as
// it was.
ReadResult LoadFromBytes(std::string_view content, TSprav& sprav, std::string_view dirTests);

// Reads a book file into an empty model. On failure no line is parsed and the model is left as it was.
// `read`, when given, receives the bytes of a successful load, so that the caller needs no second read.
ReadResult Load(const std::filesystem::path& path, TSprav& sprav, std::string_view dirTests,
                std::string* read = nullptr);

enum class WriteFailure {
    None,
    LineTooLong,     // the entry named in Entry would give a line the reader refuses
    TooManyLines,    // the book has more lines than the reader takes
    UnstorableText,  // the entry named in Entry holds a control byte, or a name the format would change
    CannotWrite,     // the file system refused; see Error
};

struct WriteResult {
    WriteFailure Failure = WriteFailure::None;
    std::string Entry;  // the test-file path or chip name that was refused, as stored
    std::error_code Error;
    bool Ok() const { return Failure == WriteFailure::None; }
};

// Formats the whole book, refusing one that the reader could not give back as it is. For TooManyLines,
// Entry names the entry of the first line past the limit.
WriteResult Format(const TSprav& sprav, const ServiceDirectories& dirs, std::string& out);

// What Format would refuse, found without building the text: a book that loads can still be one that no
// save takes (a line that only the save's normal form makes too long, a last line without its break), and
// the user learns so right after the load. Gives the same result as Format.
WriteResult CheckSavable(const TSprav& sprav, const ServiceDirectories& dirs);

// Writes the book to `path`; the file is replaced only once every byte has reached the disk, and is left
// untouched on any failure. `written`, when given, receives the bytes of a completed write.
WriteResult Save(const std::filesystem::path& path, const TSprav& sprav, const ServiceDirectories& dirs,
                 std::string* written = nullptr);

}  // namespace sprav_file
