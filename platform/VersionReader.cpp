#include "platform/VersionReader.h"

#include <array>
#include <cstdio>
#include <cstring>

#include "platform/Paths.h"

TVersionInfo::TVersionInfo(std::string_view path) : SourcePath(path) {
    LoadRecord();
}

void TVersionInfo::LoadRecord() {
    HasRecord = false;
    RecordData.reset();
    RecordSize = platform::GetFileVersionInfoSize(SourcePath.c_str(), &InfoHandle);
    if (RecordSize == 0) {
        return;
    }
    RecordData.reset(new std::uint8_t[RecordSize]);
    HasRecord = platform::GetFileVersionInfo(SourcePath.c_str(), InfoHandle, RecordSize, RecordData.get());
}

std::optional<std::uint32_t> TVersionInfo::FirstTranslation() const {
    if (!HasRecord) {
        return std::nullopt;
    }
    void* value = nullptr;
    unsigned length = 0;
    if (!platform::VerQueryValue(RecordData.get(), "\\VarFileInfo\\Translation", &value, &length) ||
        value == nullptr || length < 4) {
        return std::nullopt;
    }
    std::array<std::uint8_t, 4> bytes{};
    std::memcpy(bytes.data(), value, bytes.size());
    return std::uint32_t{bytes[0]} | (std::uint32_t{bytes[1]} << 8) | (std::uint32_t{bytes[2]} << 16) |
           (std::uint32_t{bytes[3]} << 24);
}

std::string TVersionInfo::LanguageKey() const {
    const auto translation = FirstTranslation();
    if (!translation) {
        return {};
    }
    // The language (low half of the entry) comes first in the key, then the code page.
    const std::uint32_t key = (*translation << 16) | (*translation >> 16);
    char text[9] = {};
    std::snprintf(text, sizeof text, "%08X", static_cast<unsigned>(key));
    return text;
}

std::string TVersionInfo::StringValue(std::string_view name) const {
    if (!HasRecord) {
        return {};
    }
    const std::string query = "\\StringFileInfo\\" + LanguageKey() + "\\" + std::string(name);
    // The system builds this path in a buffer of 256 characters; a longer one cannot name a value.
    if (query.size() > 255) {
        return {};
    }
    void* value = nullptr;
    unsigned length = 0;
    if (!platform::VerQueryValue(RecordData.get(), query.c_str(), &value, &length) || value == nullptr) {
        return {};
    }
    const char* text = static_cast<const char*>(value);
    return std::string(text, strnlen(text, length));
}

std::string VersionString(std::string_view name) {
    try {
        const TVersionInfo info(platform::ExePath());
        return info.HasRecord ? info.StringValue(name) : std::string();
    } catch (...) {
        return {};  // the identity is a courtesy: a failure to read it leaves the text empty, silently
    }
}

std::string VersionDescription() {
    return VersionString("FileDescription");
}
