// The prefix-file reader on any bytes: the entries format to a file that reads back as the same entries,
// and formatting those gives the same bytes again.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "PrefixFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const auto entries = prefix_file::SplitEntries(bytes);
    const std::string formatted = prefix_file::Format(entries);
    const auto again = prefix_file::SplitEntries(formatted);
    if (again != entries || prefix_file::Format(again) != formatted) {
        std::abort();
    }
    return 0;
}
