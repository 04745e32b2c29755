// The settings INI reader on any text: parsing and formatting is stable after one cycle, and a value
// written into the file reads back exactly, whatever the file held around it. The input is the file's
// text, then a zero byte, the value's name, a zero byte and the value.
#include <QString>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "SettingsIni.h"

namespace ini = platform::settings_ini;

namespace {

void Require(bool holds) {
    if (!holds) {
        std::abort();
    }
}

QString Part(std::string_view& rest) {
    const std::size_t end = rest.find('\0');
    const std::string_view part = rest.substr(0, end);
    rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
    return QString::fromUtf8(part.data(), static_cast<qsizetype>(part.size()));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view rest(reinterpret_cast<const char*>(data), size);
    const QString content = Part(rest);
    const QString name = Part(rest);
    const QString value = Part(rest);

    const QString first = ini::Format(ini::Parse(content));
    Require(ini::Format(ini::Parse(first)) == first);

    if (name.isEmpty()) {
        return 0;  // the store never writes a value without a name
    }
    const QString key = QStringLiteral("Software\\QOR_Sprav");
    auto sections = ini::Parse(content);
    ini::SetValue(ini::FindOrAddSection(sections, key), name, value);
    const auto reread = ini::Parse(QString::fromUtf8(ini::Format(sections).toUtf8()));
    for (const ini::Section& section : reread) {
        if (section.header.isEmpty() || !ini::SameName(section.name, key)) {
            continue;
        }
        for (const ini::Line& line : section.lines) {
            if (line.name && ini::SameName(*line.name, name)) {
                Require(line.value == value);
                return 0;
            }
        }
        std::abort();  // the section holds no such value
    }
    std::abort();  // no such section
}
