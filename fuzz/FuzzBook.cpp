// The book reader on any bytes: no crash, no sanitizer finding, and a book that loads is either refused by
// the writer (CheckSavable naming the same entry as Format) or formats to bytes that load to the same book,
// and a second cycle changes nothing; no path or name of a book that loads holds a control byte.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "core/BookLines.h"
#include "core/PathTokens.h"
#include "core/Sprav.h"
#include "core/SpravFile.h"

namespace {

// The book as text; description paths in the token form the writer gives them.
std::vector<std::string> Dump(const TSprav& sprav, const ServiceDirectories& dirs) {
    std::vector<std::string> lines;
    for (const auto& file : sprav.Files) {
        lines.push_back(" " + file->Path);
        for (const auto& s : file->Sinonims) {
            lines.push_back(s->Name + "|" + ToDescToken(s->DescPath, dirs.Desc));
        }
    }
    return lines;
}

void Require(bool holds) {
    if (!holds) {
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    // The low bit of the first byte picks set or unset service directories.
    const bool set = size > 0 && (data[0] & 1) != 0;
    const ServiceDirectories dirs =
        set ? ServiceDirectories{"C:\\Tests", "C:\\Desc\\"} : ServiceDirectories{};
    TSprav sprav;
    if (!sprav_file::LoadFromBytes(bytes, sprav, dirs.Tests).Ok()) {
        Require(sprav.Files.empty());
        return 0;
    }
    // No path and no name of a loaded book holds a byte below 0x20: the file system would cut such a path.
    for (const auto& file : sprav.Files) {
        Require(!book_lines::HasControlByte(file->Path));
        for (const auto& s : file->Sinonims) {
            Require(!book_lines::HasControlByte(s->Name) && !book_lines::HasControlByte(s->DescPath));
        }
    }
    std::string first;
    const sprav_file::WriteResult formatted = sprav_file::Format(sprav, dirs, first);
    const sprav_file::WriteResult checked = sprav_file::CheckSavable(sprav, dirs);
    Require(formatted.Failure == checked.Failure && formatted.Entry == checked.Entry);
    if (!formatted.Ok()) {
        // Only what the save's normal form makes longer or more can be refused: never text.
        Require(formatted.Failure == sprav_file::WriteFailure::LineTooLong ||
                formatted.Failure == sprav_file::WriteFailure::TooManyLines);
        return 0;
    }
    TSprav again;
    Require(sprav_file::LoadFromBytes(first, again, dirs.Tests).Ok());
    Require(Dump(again, dirs) == Dump(sprav, dirs));
    std::string second;
    Require(sprav_file::Format(again, dirs, second).Ok());
    Require(second == first);
    return 0;
}
