// Stand-ins of the version information API for systems without one. The VS_VERSIONINFO block is found
// inside any file by its "VS_VERSION_INFO" key (UTF-16) followed by the fixed part's 0xFEEF04BD signature,
// and walked with the same query paths as on Windows.
//
// The caller's buffer (sized by GetFileVersionInfoSize) holds the block, a small trailer and spare room. As
// VerQueryValueA does, a string value is converted into that spare room: the value that starts at byte
// offset o of the block goes to offset o / 2 of the spare room, where its Windows-1251 text (one byte per
// UTF-16 unit) always fits without touching another value's. So queries need no state and can repeat.
//
// On ELF files the record is looked for in its own section first, so that a start does not read the whole
// executable.
//
// Every read is checked against the block's own length and the lengths of its parts: a truncated or corrupt
// record gives "not found", never a read past the buffer.
#include "platform/VersionInfo.h"

#include "platform/ElfSection.h"
#include "platform/Paths.h"
#include "platform/Text.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {
namespace {

constexpr std::uint32_t kSignature = 0xFEEF04BD;
constexpr std::size_t kHeaderSize = 6;        // wLength, wValueLength, wType
constexpr std::size_t kFixedInfoSize = 52;    // VS_FIXEDFILEINFO
constexpr std::size_t kFixedInfoOffset = 40;  // header and "VS_VERSION_INFO\0", aligned
constexpr std::array<char, 4> kTrailerMark = {'Q', 'V', 'R', '1'};
constexpr std::size_t kTrailerSize = 8;  // mark, spare room size

std::size_t Align4(std::size_t offset) {
    return (offset + 3) & ~std::size_t{3};
}

std::uint16_t Word(const std::uint8_t* bytes) {
    return static_cast<std::uint16_t>(bytes[0] | (bytes[1] << 8));
}
std::uint32_t Dword(const std::uint8_t* bytes) {
    return std::uint32_t{Word(bytes)} | (std::uint32_t{Word(bytes + 2)} << 16);
}

// The UTF-16LE bytes of "VS_VERSION_INFO" with its terminating zero.
std::string RootKey() {
    std::string key;
    for (char c : std::string_view("VS_VERSION_INFO")) {
        key += c;
        key += '\0';
    }
    return key + std::string(2, '\0');
}

// The block found in `file`: its offset and length; nullopt when the file holds no valid record.
std::optional<std::pair<std::size_t, std::size_t>> FindRecord(std::string_view file) {
    const std::string key = RootKey();
    for (std::size_t hit = file.find(key); hit != std::string_view::npos; hit = file.find(key, hit + 1)) {
        if (hit < kHeaderSize) {
            continue;
        }
        const std::size_t start = hit - kHeaderSize;
        const auto* bytes = reinterpret_cast<const std::uint8_t*>(file.data()) + start;
        const std::size_t length = Word(bytes);
        if (length >= kFixedInfoOffset + kFixedInfoSize && start + length <= file.size() &&
            Word(bytes + 2) == kFixedInfoSize && Dword(bytes + kFixedInfoOffset) == kSignature) {
            return std::make_pair(start, length);
        }
    }
    return std::nullopt;
}

std::optional<std::string> ReadWholeFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in) {
        return std::nullopt;
    }
    const std::streamoff size = in.tellg();
    if (size < 0) {
        return std::nullopt;
    }
    std::string content(static_cast<std::size_t>(size), '\0');
    in.seekg(0);
    if (!in.read(content.data(), size)) {
        return std::nullopt;
    }
    return content;
}

// The bytes to look for the record in: the section the build puts it in when the file is an ELF file with
// one (a few small reads), otherwise the whole file, wherever a record may lie.
std::optional<std::string> ReadRecordSource(const char* path) {
    const std::filesystem::path file = ToOsPath(path);
    if (auto section = FindElfSectionInFile(file, kVersionSectionName)) {
        return section;
    }
    return ReadWholeFile(file);
}

// The program asks for its own identity several times (the title, the caption, the about box's five
// labels); the running executable's record is read once and kept, since its bytes cannot change under the
// running process. Other files are read anew at every call, as the system does.
std::optional<std::string> RecordSource(const char* path) {
    if (path == nullptr) {
        return std::nullopt;
    }
    static const std::string self = ExePath();
    if (!self.empty() && self == path) {
        static const std::optional<std::string> kept = ReadRecordSource(path);
        return kept;
    }
    return ReadRecordSource(path);
}

// What GetFileVersionInfo needs for a block of `length` bytes: the block, the trailer, the spare room.
std::size_t BufferSize(std::size_t length) {
    return Align4(length) + kTrailerSize + Align4(length) / 2;
}

// One block of the record, as found while walking it.
struct Node {
    std::size_t Start = 0;
    std::size_t End = 0;  // Start + wLength
    std::u16string Key;
    std::size_t ValueOffset = 0;
    std::size_t ValueSize = 0;  // in bytes
    bool IsText = false;
    std::size_t ChildrenOffset = 0;
};

// Reads the block at `start`, which must lie within [start, limit).
std::optional<Node> ReadNode(const std::uint8_t* record, std::size_t start, std::size_t limit) {
    if (start + kHeaderSize > limit) {
        return std::nullopt;
    }
    Node node;
    node.Start = start;
    const std::size_t length = Word(record + start);
    node.End = start + length;
    if (length < kHeaderSize || node.End > limit) {
        return std::nullopt;
    }
    const std::uint16_t valueLength = Word(record + start + 2);
    node.IsText = Word(record + start + 4) == 1;
    std::size_t pos = start + kHeaderSize;
    for (;; pos += 2) {
        if (pos + 2 > node.End) {
            return std::nullopt;  // the key has no terminating zero inside the block
        }
        const std::uint16_t c = Word(record + pos);
        if (c == 0) {
            break;
        }
        node.Key += static_cast<char16_t>(c);
    }
    node.ValueOffset = Align4(pos + 2);
    node.ValueSize = node.IsText ? std::size_t{valueLength} * 2 : valueLength;
    if (node.ValueSize > 0 && node.ValueOffset + node.ValueSize > node.End) {
        return std::nullopt;
    }
    node.ChildrenOffset = Align4(node.ValueOffset + node.ValueSize);
    return node;
}

bool SameKey(const std::u16string& key, std::string_view wanted) {
    if (key.size() != wanted.size()) {
        return false;
    }
    for (std::size_t i = 0; i < key.size(); ++i) {
        auto lower = [](char32_t c) { return c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c; };
        if (lower(key[i]) != lower(static_cast<unsigned char>(wanted[i]))) {
            return false;
        }
    }
    return true;
}

std::optional<Node> FindChild(const std::uint8_t* record, const Node& parent, std::string_view key) {
    for (std::size_t pos = parent.ChildrenOffset; pos < parent.End;) {
        const auto child = ReadNode(record, pos, parent.End);
        if (!child) {
            return std::nullopt;
        }
        if (SameKey(child->Key, key)) {
            return child;
        }
        pos = Align4(child->End);
    }
    return std::nullopt;
}

// Converts the text value of `node` into the spare room; nullptr when the buffer has none for it.
char* ConvertText(std::uint8_t* record, std::size_t recordLength, const Node& node, unsigned* length) {
    const std::uint8_t* trailer = record + Align4(recordLength);
    if (std::memcmp(trailer, kTrailerMark.data(), kTrailerMark.size()) != 0) {
        return nullptr;
    }
    const std::size_t spareSize = Dword(trailer + kTrailerMark.size());
    std::u16string text;
    for (std::size_t pos = node.ValueOffset; pos < node.ValueOffset + node.ValueSize; pos += 2) {
        const std::uint16_t c = Word(record + pos);
        if (c == 0) {
            break;
        }
        text += static_cast<char16_t>(c);
    }
    const std::size_t slot = node.ValueOffset / 2;
    if (slot + text.size() + 1 > spareSize) {
        return nullptr;
    }
    char* out = reinterpret_cast<char*>(const_cast<std::uint8_t*>(trailer)) + kTrailerSize + slot;
    const QString value = QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
    // Characters without a Windows-1251 byte read as "?", as the system's ANSI query gives them.
    std::string bytes;
    for (QChar c : value) {
        bytes += ToCp1251(QString(c)).value_or("?");
    }
    std::memcpy(out, bytes.data(), std::min(bytes.size(), text.size()));
    out[std::min(bytes.size(), text.size())] = '\0';
    *length = static_cast<unsigned>(std::min(bytes.size(), text.size()) + 1);
    return out;
}

}  // namespace

VersionDword VersionBufferSizeOf(std::string_view file) {
    const auto found = FindRecord(file);
    return found ? static_cast<VersionDword>(BufferSize(found->second)) : 0;
}

bool CopyVersionRecord(std::string_view file, VersionDword length, void* data) {
    const auto found = FindRecord(file);
    if (!found || data == nullptr || length < Align4(found->second) + kTrailerSize) {
        return false;
    }
    auto* out = static_cast<std::uint8_t*>(data);
    std::memset(out, 0, length);
    std::memcpy(out, file.data() + found->first, found->second);
    std::uint8_t* trailer = out + Align4(found->second);
    std::memcpy(trailer, kTrailerMark.data(), kTrailerMark.size());
    const VersionDword spare = length - static_cast<VersionDword>(Align4(found->second) + kTrailerSize);
    for (std::size_t i = 0; i < 4; ++i) {
        trailer[kTrailerMark.size() + i] = static_cast<std::uint8_t>(spare >> (8 * i));
    }
    return true;
}

VersionDword GetFileVersionInfoSize(const char* path, VersionDword* handle) {
    if (handle != nullptr) {
        *handle = 0;  // as on Windows: not used
    }
    const auto file = RecordSource(path);
    return file ? VersionBufferSizeOf(*file) : 0;
}

bool GetFileVersionInfo(const char* path, VersionDword /*handle*/, VersionDword length, void* data) {
    const auto file = RecordSource(path);
    return file && CopyVersionRecord(*file, length, data);
}

bool VerQueryValue(const void* block, const char* subBlock, void** buffer, unsigned* length) {
    if (block == nullptr || subBlock == nullptr || buffer == nullptr || length == nullptr) {
        return false;
    }
    auto* record = static_cast<std::uint8_t*>(const_cast<void*>(block));
    const std::size_t recordLength = Word(record);
    auto node = ReadNode(record, 0, recordLength);
    if (!node || !SameKey(node->Key, "VS_VERSION_INFO")) {
        return false;
    }
    std::string_view path(subBlock);
    bool inStrings = false;
    std::size_t depth = 0;
    while (!path.empty()) {
        const std::size_t delimiter = path.find('\\');
        const std::string_view part = path.substr(0, delimiter);
        path = delimiter == std::string_view::npos ? std::string_view() : path.substr(delimiter + 1);
        if (part.empty()) {
            continue;
        }
        node = FindChild(record, *node, part);
        if (!node) {
            return false;
        }
        inStrings = depth == 0 ? SameKey(node->Key, "StringFileInfo") : inStrings;
        ++depth;
    }
    // Texts of the string table come back as Windows-1251; everything else as the bytes stored.
    if (inStrings && depth == 3 && node->IsText) {
        char* text = ConvertText(record, recordLength, *node, length);
        *buffer = text;
        return text != nullptr;
    }
    if (node->ValueSize == 0) {
        return false;
    }
    *buffer = record + node->ValueOffset;
    *length = static_cast<unsigned>(node->ValueSize);
    return true;
}

}  // namespace platform
