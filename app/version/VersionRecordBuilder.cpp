#include "app/version/VersionRecordBuilder.h"

#include <charconv>

namespace version_record {
namespace {

constexpr std::uint16_t kBinary = 0;
constexpr std::uint16_t kText = 1;

class Writer {
public:
    std::vector<std::uint8_t> Bytes;

    void Word(std::uint16_t value) {
        Bytes.push_back(static_cast<std::uint8_t>(value & 0xFF));
        Bytes.push_back(static_cast<std::uint8_t>(value >> 8));
    }
    void Dword(std::uint32_t value) {
        Word(static_cast<std::uint16_t>(value & 0xFFFF));
        Word(static_cast<std::uint16_t>(value >> 16));
    }
    void Text(const std::u16string& text) {
        for (char16_t c : text) {
            Word(static_cast<std::uint16_t>(c));
        }
        Word(0);
    }
    void Align() {
        while (Bytes.size() % 4 != 0) {
            Bytes.push_back(0);
        }
    }

    // Starts a block: its length is patched by End once the children are written.
    std::size_t Begin(const std::u16string& key, std::uint16_t valueLength, std::uint16_t type) {
        Align();
        const std::size_t start = Bytes.size();
        Word(0);
        Word(valueLength);
        Word(type);
        Text(key);
        Align();
        return start;
    }
    void End(std::size_t start) {
        const std::size_t length = Bytes.size() - start;
        Bytes[start] = static_cast<std::uint8_t>(length & 0xFF);
        Bytes[start + 1] = static_cast<std::uint8_t>(length >> 8);
    }
};

std::uint32_t High(const std::array<std::uint16_t, 4>& v) {
    return (std::uint32_t{v[0]} << 16) | v[1];
}
std::uint32_t Low(const std::array<std::uint16_t, 4>& v) {
    return (std::uint32_t{v[2]} << 16) | v[3];
}

void FixedFileInfo(Writer& out, const Content& content) {
    out.Dword(0xFEEF04BD);  // signature
    out.Dword(0x00010000);  // structure version 1.0
    out.Dword(High(content.FileVersion));
    out.Dword(Low(content.FileVersion));
    out.Dword(High(content.ProductVersion));
    out.Dword(Low(content.ProductVersion));
    out.Dword(0x3F);     // file flags mask
    out.Dword(0);        // file flags
    out.Dword(0x40004);  // VOS_NT_WINDOWS32
    out.Dword(1);        // VFT_APP
    out.Dword(0);        // subtype
    out.Dword(0);        // date, high
    out.Dword(0);        // date, low
}

std::u16string LanguageKey(const Content& content) {
    const std::uint32_t key = (std::uint32_t{content.Language} << 16) | content.CodePage;
    std::u16string text;
    for (int shift = 28; shift >= 0; shift -= 4) {
        text += static_cast<char16_t>(u"0123456789ABCDEF"[(key >> shift) & 0xF]);
    }
    return text;
}

}  // namespace

std::vector<std::uint8_t> Build(const Content& content) {
    Writer out;
    const std::size_t root = out.Begin(u"VS_VERSION_INFO", 52, kBinary);
    FixedFileInfo(out, content);

    const std::size_t stringInfo = out.Begin(u"StringFileInfo", 0, kText);
    const std::size_t table = out.Begin(LanguageKey(content), 0, kText);
    for (const auto& [name, value] : content.Strings) {
        // The value length of a text counts its characters with the terminating zero.
        const std::size_t entry = out.Begin(name, static_cast<std::uint16_t>(value.size() + 1), kText);
        out.Text(value);
        out.End(entry);
    }
    out.End(table);
    out.End(stringInfo);

    const std::size_t varInfo = out.Begin(u"VarFileInfo", 0, kText);
    const std::size_t translation = out.Begin(u"Translation", 4, kBinary);
    out.Word(content.Language);
    out.Word(content.CodePage);
    out.End(translation);
    out.End(varInfo);

    out.End(root);
    return out.Bytes;
}

std::array<std::uint16_t, 4> ParseVersion(std::string_view text) {
    std::array<std::uint16_t, 4> parts{};
    for (std::size_t i = 0; i < parts.size() && !text.empty(); ++i) {
        const std::size_t dot = text.find('.');
        const std::string_view part = text.substr(0, dot);
        std::from_chars(part.data(), part.data() + part.size(), parts[i]);
        text = dot == std::string_view::npos ? std::string_view() : text.substr(dot + 1);
    }
    return parts;
}

std::u16string FromUtf8(std::string_view text) {
    std::u16string result;
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const int extra = lead < 0x80           ? 0
                          : (lead >> 5) == 0x6  ? 1
                          : (lead >> 4) == 0xE  ? 2
                          : (lead >> 3) == 0x1E ? 3
                                                : -1;
        char32_t code = extra == 0   ? lead
                        : extra == 1 ? (lead & 0x1F)
                        : extra == 2 ? (lead & 0x0F)
                                     : (lead & 0x07);
        bool valid = extra >= 0 && i + static_cast<std::size_t>(extra) < text.size();
        for (int k = 1; valid && k <= extra; ++k) {
            const auto next = static_cast<unsigned char>(text[i + static_cast<std::size_t>(k)]);
            valid = (next & 0xC0) == 0x80;
            code = (code << 6) | (next & 0x3F);
        }
        if (!valid) {
            result += u'\uFFFD';
            ++i;
            continue;
        }
        i += static_cast<std::size_t>(extra) + 1;
        if (code >= 0x10000) {
            code -= 0x10000;
            result += static_cast<char16_t>(0xD800 + (code >> 10));
            result += static_cast<char16_t>(0xDC00 + (code & 0x3FF));
        } else {
            result += static_cast<char16_t>(code);
        }
    }
    return result;
}

}  // namespace version_record
