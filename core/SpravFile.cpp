#include "core/SpravFile.h"

#include <charconv>
#include <cstdint>
#include <cstring>

#include "core/PathTokens.h"
#include "core/Sprav.h"
#include "files/AtomicFile.h"
#include "files/WholeFile.h"
#include "files/WholePath.h"

namespace sprav_file {

namespace {

constexpr std::string_view kLineEnd = "\r\n";

// A path in the form the book file holds it, for the checks of what the save writes: a directory that
// the token replaces is not written, whatever it holds.
std::string_view WrittenPart(std::string_view path, std::string_view dir) {
    return !dir.empty() && path.starts_with(dir) ? path.substr(dir.size()) : path;
}

// Appends `path` in token form without building a temporary string.
void AppendInTokenForm(std::string& out, std::string_view path, std::string_view dir,
                       std::string_view token) {
    if (!dir.empty() && path.starts_with(dir)) {
        out.append(token).append(path.substr(dir.size()));
    } else {
        out.append(path);
    }
}

}  // namespace

ReadResult SplitLines(std::string_view content, std::vector<std::string_view>& lines) {
    lines.clear();
    const char* const begin = content.data();
    const char* const end = begin + content.size();
    const char* pos = begin;
    std::size_t reads = 0;

    auto take = [&](const char* from, const char* to) -> ReadResult {
        ++reads;
        if (reads > kMaxLineReads) {
            return {ReadFailure::TooManyLines, reads, {}, {}};
        }
        const auto length = static_cast<std::size_t>(to - from);
        if (length > kMaxLineLength) {
            return {ReadFailure::LineTooLong, reads, {}, {}};
        }
        lines.emplace_back(from, length);
        return {};
    };

    while (true) {
        const auto* lf =
            static_cast<const char*>(std::memchr(pos, '\n', static_cast<std::size_t>(end - pos)));
        const char* segmentEnd = lf != nullptr ? lf : end;
        // CR LF is one break; any other CR breaks the line by itself.
        const char* textEnd =
            (lf != nullptr && segmentEnd > pos && segmentEnd[-1] == '\r') ? segmentEnd - 1 : segmentEnd;
        const char* cr;
        while ((cr = static_cast<const char*>(
                    std::memchr(pos, '\r', static_cast<std::size_t>(textEnd - pos)))) != nullptr) {
            if (ReadResult r = take(pos, cr); !r.Ok()) {
                return r;
            }
            pos = cr + 1;
        }
        if (ReadResult r = take(pos, textEnd); !r.Ok()) {
            return r;
        }
        if (lf == nullptr) {
            return {};
        }
        pos = lf + 1;
    }
}

ReadResult CheckFirstLine(const std::vector<std::string_view>& lines) {
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].empty()) {
            continue;
        }
        if (lines[i].front() == ' ') {
            return {};
        }
        return {ReadFailure::NotABook, i + 1, {}, std::string(lines[i])};
    }
    return {};
}

namespace {

// True when a byte of the text is below 0x20, eight bytes at a time, so that a large book costs a fraction
// of its split also where the compiler makes no vector code of a plain loop. A word holds such a byte
// exactly when (word - 0x2020...20) & ~word & 0x8080...80 is not zero.
bool HoldsControlByte(std::string_view text) {
    constexpr std::uint64_t kOnes = 0x0101010101010101u;
    std::uint64_t found = 0;
    std::size_t i = 0;
    for (; i + 8 <= text.size(); i += 8) {
        std::uint64_t word;
        std::memcpy(&word, text.data() + i, sizeof word);
        found |= (word - kOnes * 0x20) & ~word & (kOnes * 0x80);
    }
    for (; i < text.size(); ++i) {
        found |= static_cast<unsigned char>(text[i]) < 0x20;
    }
    return found != 0;
}

}  // namespace

ReadResult CheckControlBytes(const std::vector<std::string_view>& lines) {
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (HoldsControlByte(lines[i])) {
            return {ReadFailure::ControlByte, i + 1, {}, std::string(lines[i])};
        }
    }
    return {};
}

void ParseLines(const std::vector<std::string_view>& lines, TSprav& sprav, std::string_view dirTests) {
    for (std::string_view line : lines) {
        if (line.empty()) {
            continue;
        }
        if (line.front() == ' ') {
            // " <position> <path>": the position is not used, entries are numbered by their order.
            std::string_view rest = line.substr(1);
            if (const auto space = rest.find(' '); space != std::string_view::npos) {
                rest.remove_prefix(space + 1);
            }
            sprav.AddTestFile(FromTestsToken(rest, dirTests));
            continue;
        }
        const auto bar = line.find('|');
        if (bar == std::string_view::npos) {
            sprav.AddSinonimWithDesc(std::string(line), std::string(line));
        } else {
            sprav.AddSinonimWithDesc(std::string(line.substr(0, bar)), std::string(line.substr(bar + 1)));
        }
    }
}

ReadResult LoadFromBytes(std::string_view content, TSprav& sprav, std::string_view dirTests) {
    std::vector<std::string_view> lines;
    if (ReadResult split = SplitLines(content, lines); !split.Ok()) {
        return split;
    }
    // A NUL in a path would cut it short where the file system meets it: the comment file of
    // "book.spr<NUL>.qor" would be book.spr itself. Such a file is no book; nothing of it is taken.
    if (ReadResult controls = CheckControlBytes(lines); !controls.Ok()) {
        return controls;
    }
    if (ReadResult first = CheckFirstLine(lines); !first.Ok()) {
        return first;
    }
    // The views of the book hear of a loaded book once, not line by line.
    sprav.Rebuild([&](TSprav& book) { ParseLines(lines, book, dirTests); });
    return {};
}

ReadResult Load(const std::filesystem::path& path, TSprav& sprav, std::string_view dirTests,
                std::string* read) {
    // No readable book is larger than kMaxBookBytes. A larger file (a video picked by mistake) is refused
    // before it is read, rather than loaded whole into memory first; one that grows past it while read too.
    std::string content;
    if (std::error_code ec = ReadWholeFile(path, content, kMaxBookBytes)) {
        if (ec == std::errc::file_too_large) {
            return {ReadFailure::TooManyLines, 0, {}, {}};
        }
        return {ReadFailure::CannotRead, 0, ec, {}};
    }
    ReadResult result = LoadFromBytes(content, sprav, dirTests);
    if (result.Ok() && read != nullptr) {
        *read = std::move(content);
    }
    return result;
}

namespace {

// Appends every line of the book to `out`. With `kCheckEachEntry` every text is searched for line
// breaks before it is written, so the first entry at fault is named. Without it, line breaks are left to
// HoldsOnlyItsOwnLineBreaks on the whole text, which is several times faster on a large book; a name's
// leading blank and "|" and the line lengths are checked either way.
template <bool kCheckEachEntry>
WriteResult AppendLines(const TSprav& sprav, const ServiceDirectories& dirs, std::string& out) {
    auto endLine = [&](std::size_t lineStart, const std::string& entry) -> WriteResult {
        if (out.size() - lineStart > kMaxLineLength) {
            return {WriteFailure::LineTooLong, entry, {}};
        }
        out.append(kLineEnd);
        return {};
    };

    char number[16];
    for (std::size_t i = 0; i < sprav.Files.size(); ++i) {
        const TSpravFile& file = *sprav.Files[i];
        if (kCheckEachEntry && book_lines::HasControlByte(WrittenPart(file.Path, dirs.Tests))) {
            return {WriteFailure::UnstorableText, file.Path, {}};
        }
        const std::size_t lineStart = out.size();
        out.push_back(' ');
        const auto [numberEnd, ec] = std::to_chars(number, number + sizeof number, i);
        out.append(number, numberEnd);
        out.push_back(' ');
        AppendInTokenForm(out, file.Path, dirs.Tests, kTestsToken);
        if (WriteResult r = endLine(lineStart, file.Path); !r.Ok()) {
            return r;
        }
        for (const auto& sinonim : file.Sinonims) {
            const std::string& name = sinonim->Name;
            const bool storable =
                kCheckEachEntry
                    ? IsStorableSinonimName(name) &&
                          !book_lines::HasControlByte(WrittenPart(sinonim->DescPath, dirs.Desc))
                    : (name.empty() || name.front() != ' ') && name.find('|') == std::string::npos;
            if (!storable) {
                return {WriteFailure::UnstorableText, name, {}};
            }
            const std::size_t analogStart = out.size();
            out.append(name).push_back('|');
            AppendInTokenForm(out, sinonim->DescPath, dirs.Desc, kDescToken);
            if (WriteResult r = endLine(analogStart, name); !r.Ok()) {
                return r;
            }
        }
    }
    return {};
}

// True when the only bytes below 0x20 of the text are the CR LF written after each of its lines.
bool HoldsOnlyItsOwnLineBreaks(std::string_view text, std::size_t lineCount) {
    // 32-bit counters keep the loop's vector code narrow; every line has passed the length check by now,
    // so the text is at most about 100 MB.
    std::uint32_t crs = 0;
    std::uint32_t lfs = 0;
    std::uint32_t controls = 0;
    for (const char ch : text) {
        crs += ch == '\r';
        lfs += ch == '\n';
        controls += static_cast<unsigned char>(ch) < 0x20;
    }
    return crs == lineCount && lfs == lineCount && controls == 2 * lineCount;
}

// The test-file path or chip name written on the 1-based line `number` of the formatted book.
std::string EntryOfLine(const TSprav& sprav, std::size_t number) {
    std::size_t line = 0;
    for (const auto& file : sprav.Files) {
        if (++line == number) {
            return file->Path;
        }
        if (number - line <= file->Sinonims.size()) {
            return file->Sinonims[number - line - 1]->Name;
        }
        line += file->Sinonims.size();
    }
    return {};
}

std::size_t LengthInTokenForm(std::string_view path, std::string_view dir, std::string_view token) {
    return !dir.empty() && path.starts_with(dir) ? token.size() + path.size() - dir.size() : path.size();
}

}  // namespace

WriteResult CheckSavable(const TSprav& sprav, const ServiceDirectories& dirs) {
    if (sprav.LineCount() > kMaxLines) {
        return {WriteFailure::TooManyLines, EntryOfLine(sprav, kMaxLines + 1), {}};
    }
    // The same checks in the same order as AppendLines<true>, on lengths instead of text.
    for (std::size_t i = 0; i < sprav.Files.size(); ++i) {
        const TSpravFile& file = *sprav.Files[i];
        if (book_lines::HasControlByte(WrittenPart(file.Path, dirs.Tests))) {
            return {WriteFailure::UnstorableText, file.Path, {}};
        }
        if (book_lines::TestFileLineLength(i, LengthInTokenForm(file.Path, dirs.Tests, kTestsToken)) >
            kMaxLineLength) {
            return {WriteFailure::LineTooLong, file.Path, {}};
        }
        for (const auto& sinonim : file.Sinonims) {
            if (!IsStorableSinonimName(sinonim->Name) ||
                book_lines::HasControlByte(WrittenPart(sinonim->DescPath, dirs.Desc))) {
                return {WriteFailure::UnstorableText, sinonim->Name, {}};
            }
            if (book_lines::SinonimLineLength(sinonim->Name.size(),
                                              LengthInTokenForm(sinonim->DescPath, dirs.Desc, kDescToken)) >
                kMaxLineLength) {
                return {WriteFailure::LineTooLong, sinonim->Name, {}};
            }
        }
    }
    return {};
}

WriteResult Format(const TSprav& sprav, const ServiceDirectories& dirs, std::string& out) {
    out.clear();
    const std::size_t lineCount = sprav.LineCount();
    if (lineCount > kMaxLines) {
        return {WriteFailure::TooManyLines, EntryOfLine(sprav, kMaxLines + 1), {}};
    }
    // A guess from the line count rather than a walk over every entry (a cache miss each on a large
    // book); a book of longer lines just grows the buffer a few times.
    constexpr std::size_t kTypicalLineBytes = 48;
    out.reserve(lineCount * kTypicalLineBytes);

    if (AppendLines<false>(sprav, dirs, out).Ok() && HoldsOnlyItsOwnLineBreaks(out, lineCount)) {
        return {};
    }
    // Something is refused: format again, checking entry by entry, to name the first one at fault.
    out.clear();
    return AppendLines<true>(sprav, dirs, out);
}

WriteResult Save(const std::filesystem::path& path, const TSprav& sprav, const ServiceDirectories& dirs,
                 std::string* written) {
    std::string content;
    if (WriteResult formatted = Format(sprav, dirs, content); !formatted.Ok()) {
        return formatted;
    }
    if (std::error_code ec = WriteFileAtomically(path, content)) {
        return {WriteFailure::CannotWrite, {}, ec};
    }
    if (written != nullptr) {
        *written = std::move(content);
    }
    return {};
}

}  // namespace sprav_file
