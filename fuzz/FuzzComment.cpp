// The comment-file reader on any bytes: the text it gives writes back to bytes that read as the same text,
// and writing that text again gives the same bytes. The same bytes as a file name: a name with a byte
// below 0x20 is neither read nor written, and nothing appears in the folder (the system would take the
// name up to its NUL, and the comment would replace another file).
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>

#include "core/BookLines.h"
#include "core/CommentFile.h"

namespace {

void Require(bool holds) {
    if (!holds) {
        std::abort();
    }
}

const std::filesystem::path& Folder() {
    static const std::filesystem::path folder = [] {
        auto path = std::filesystem::temp_directory_path() / "qor-fuzz-comment";
        std::filesystem::remove_all(path);
        std::filesystem::create_directories(path);
        return path;
    }();
    return folder;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::string text = comment_file::Parse(bytes);
    const std::string written = comment_file::Format(text);
    Require(comment_file::Parse(written) == text &&
            comment_file::Format(comment_file::Parse(written)) == written);

    // A short name of the input's bytes, with "/" kept out so that it stays in the folder.
    std::string name(bytes.substr(0, 40));
    for (char& c : name) {
        if (c == '/') {
            c = '_';
        }
    }
    if (book_lines::HasControlByte(name)) {
        // Before the control byte the name may spell a file that exists: make it, and see it survive.
        const auto cut = std::find_if(name.begin(), name.end(),
                                      [](char c) { return static_cast<unsigned char>(c) < 0x20; });
        const std::string head(name.begin(), cut);
        const std::filesystem::path target =
            Folder() / (head.empty() || head == "." || head == ".." ? "t" : head);
        std::filesystem::remove_all(Folder());
        std::filesystem::create_directories(Folder());
        Require(!comment_file::Write(target, "kept"));
        const std::filesystem::path hostile = Folder() / name;
        Require(comment_file::Read(hostile).Status != comment_file::ReadStatus::Ok);
        Require(static_cast<bool>(comment_file::Write(hostile, "replaced?")));
        Require(comment_file::Read(target).Text == "kept");
        std::size_t entries = 0;
        for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(Folder())) {
            ++entries;
        }
        Require(entries == 1);
    }
    return 0;
}
