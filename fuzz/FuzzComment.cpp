// The comment-file reader on any bytes: the text it gives writes back to bytes that read as the same text,
// and writing that text again gives the same bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "CommentFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::string text = comment_file::Parse(bytes);
    const std::string written = comment_file::Format(text);
    if (comment_file::Parse(written) != text || comment_file::Format(comment_file::Parse(written)) != written) {
        std::abort();
    }
    return 0;
}
