// The prefix-file reader on any bytes: what it takes as a prefix list holds no control byte, no line over
// the limit and no more entries than the limit, and what it refuses breaks one of those; the entries
// format to a file that reads back as the same entries, and formatting those gives the same bytes again.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "core/BookLines.h"
#include "core/PrefixFile.h"

namespace {

bool IsPrefixList(const std::vector<std::string>& entries) {
    return entries.size() <= prefix_file::kMaxEntries &&
           std::none_of(entries.begin(), entries.end(), [](const std::string& entry) {
               return entry.size() > prefix_file::kMaxEntryLength || book_lines::HasControlByte(entry);
           });
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const auto entries = prefix_file::SplitEntries(bytes);
    const std::string formatted = prefix_file::Format(entries);
    const auto again = prefix_file::SplitEntries(formatted);
    if (again != entries || prefix_file::Format(again) != formatted) {
        std::abort();
    }

    std::vector<std::string> loaded{"untouched"};
    const prefix_file::ReadFailure failure = prefix_file::Parse(bytes, loaded);
    if (failure == prefix_file::ReadFailure::None) {
        if (loaded != entries || !IsPrefixList(loaded)) {
            std::abort();
        }
    } else if (!prefix_file::IsNotAPrefixList(failure) || IsPrefixList(entries) ||
               loaded != std::vector<std::string>{"untouched"}) {
        std::abort();
    }
    return 0;
}
