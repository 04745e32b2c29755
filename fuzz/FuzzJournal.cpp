// The recovery journal's reader, and the play of what it read onto a book: whatever a journal left behind
// holds (a cut, a damaged disk, another program's file under its name), the next start must neither crash
// nor take a field for other bytes than were written.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "document/Book.h"
#include "document/RecoveryJournal.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::optional<recovery::TJournal> journal = recovery::Parse(bytes);
    if (!journal) {
        return 0;
    }
    // Every field read back is written again as it was read.
    if (recovery::UnescapeBytes(recovery::EscapeBytes(journal->BookPath)) != journal->BookPath) {
        __builtin_trap();
    }
    TBook book;
    book.AddTestFiles({QStringLiteral("C:\\T\\a.qor"), QStringLiteral("C:\\T\\b.qor")},
                      [](const std::string&) { return true; });
    book.Replay(journal->Moves);
    return 0;
}
