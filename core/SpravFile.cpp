#include "SpravFile.h"

#include <charconv>
#include <cstdint>
#include <cstring>
#include <fstream>

#include "AtomicFile.h"
#include "PathTokens.h"
#include "Sprav.h"

namespace sprav_file {

namespace {

constexpr std::string_view kLineEnd = "\r\n";

// A loop without an early exit rather than find_first_of, which calls memchr once per character of the
// text: the compiler turns it into a few vector instructions for the short texts of a book.
bool HasLineBreak(std::string_view text) {
    bool found = false;
    for (const char ch : text) {
        found |= (ch == '\r') | (ch == '\n');
    }
    return found;
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
            return {ReadFailure::TooManyLines, reads, {}};
        }
        const auto length = static_cast<std::size_t>(to - from);
        if (length > kMaxLineLength) {
            return {ReadFailure::LineTooLong, reads, {}};
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

std::error_code ReadWholeFile(const std::filesystem::path& path, std::string& content) {
    content.clear();
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec)) {
        return std::make_error_code(std::errc::is_a_directory);
    }
    std::ifstream in(path, std::ios::binary);
    if (!in.is_open()) {
        const std::error_code notFound = std::make_error_code(std::errc::no_such_file_or_directory);
        return std::filesystem::exists(path, ec) ? std::make_error_code(std::errc::permission_denied)
                                                 : notFound;
    }
    const auto size = std::filesystem::file_size(path, ec);
    if (!ec) {
        content.reserve(static_cast<std::size_t>(size));
    }
    char buffer[64 * 1024];
    while (in.read(buffer, sizeof buffer) || in.gcount() > 0) {
        content.append(buffer, static_cast<std::size_t>(in.gcount()));
    }
    if (in.bad()) {
        return std::make_error_code(std::errc::io_error);
    }
    return {};
}

ReadResult Load(const std::filesystem::path& path, TSprav& sprav, std::string_view dirTests) {
    // No readable book is larger than every read taking a longest line and a CR LF. A larger file (a video
    // picked by mistake) is refused before it is read, rather than loaded whole into memory first.
    constexpr std::uintmax_t kMaxBookBytes = kMaxLineReads * (kMaxLineLength + 2);
    std::error_code sizeError;
    if (const auto size = std::filesystem::file_size(path, sizeError); !sizeError && size > kMaxBookBytes) {
        return {ReadFailure::TooManyLines, 0, {}};
    }
    std::string content;
    if (std::error_code ec = ReadWholeFile(path, content)) {
        return {ReadFailure::CannotRead, 0, ec};
    }
    std::vector<std::string_view> lines;
    if (ReadResult split = SplitLines(content, lines); !split.Ok()) {
        return split;
    }
    ParseLines(lines, sprav, dirTests);
    return {};
}

namespace {

// Appends every line of the book to `out`. With `kCheckEachEntry` every text is searched for line
// breaks before it is written, so the first entry at fault is named. Without it, line breaks are left to
// HoldsOnlyItsOwnLineBreaks on the whole text, which is several times faster on a large book; a name's
// leading blank and "|" and the line lengths are checked either way.
template <bool kCheckEachEntry>
WriteResult AppendLines(const TSprav& sprav, const Directories& dirs, std::string& out) {
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
        if (kCheckEachEntry && HasLineBreak(file.Path)) {
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
                    ? IsStorableSinonimName(name) && !HasLineBreak(sinonim->DescPath)
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

// True when the only CR and LF bytes of the text are the line ends written after each of its lines.
bool HoldsOnlyItsOwnLineBreaks(std::string_view text, std::size_t lineCount) {
    // 32-bit counters keep the loop's vector code narrow; every line has passed the length check by now,
    // so the text is at most about 100 MB.
    std::uint32_t crs = 0;
    std::uint32_t lfs = 0;
    for (const char ch : text) {
        crs += ch == '\r';
        lfs += ch == '\n';
    }
    return crs == lineCount && lfs == lineCount;
}

}  // namespace

WriteResult Format(const TSprav& sprav, const Directories& dirs, std::string& out) {
    out.clear();
    std::size_t lineCount = sprav.Files.size();
    for (const auto& file : sprav.Files) {
        lineCount += file->Sinonims.size();
    }
    if (lineCount > kMaxLines) {
        return {WriteFailure::TooManyLines, {}, {}};
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

WriteResult Save(const std::filesystem::path& path, const TSprav& sprav, const Directories& dirs,
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
