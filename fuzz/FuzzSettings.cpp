// The settings store on any file, through the real store on a real file, as the main window uses it: the
// six values are read at start and written back at close, some of them changed. Properties:
//   - the INI text layer gives any bytes back unchanged;
//   - no input crashes, trips a sanitizer or an assertion of Qt's (built in, whatever the build type);
//   - every line of the file that is not one of the six values comes back byte for byte and in order; the
//     only lines added are the values, the headers of their keys and blank lines between sections;
//   - the values read back as written, and a second run with the same values leaves the file as it is.
// The input is the file's bytes, then for each of the six values in turn a zero byte and its new
// Windows-1251 bytes; a value the input does not reach keeps what was read.
#include <QByteArray>
#include <QDir>
#include <QFile>

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <unistd.h>

#include "platform/Settings.h"
#include "platform/SettingsIni.h"
#include "platform/Text.h"

namespace ini = platform::settings_ini;

namespace {

void Require(bool holds) {
    if (!holds) {
        std::abort();
    }
}

struct Value {
    const char* Key;
    const char* Name;
};
constexpr std::array<Value, 6> kValues = {{{"Software\\QOR_Sprav", "FileName"},
                                           {"Software\\QOR_Sprav", "FilePreff"},
                                           {"Software\\QOR_Sprav", "FileSuff"},
                                           {"Software\\QOR_Main", "Dir_QOR"},
                                           {"Software\\QOR_Main", "Dir_Tests"},
                                           {"Software\\QOR_Main", "Dir_PDF"}}};
constexpr std::array<const char*, 2> kKeys = {"Software\\QOR_Sprav", "Software\\QOR_Main"};

const QString& StorePath() {
    static const QString path = [] {
        const QString folder = QStringLiteral("/dev/shm/qor-fuzz-settings-%1").arg(::getpid());
        QDir().mkpath(folder);
        static const QString removed = folder;
        std::atexit([] { QDir(removed).removeRecursively(); });
        const QString file = folder + QStringLiteral("/HKEY_CURRENT_USER.ini");
        qputenv("QOR_SPRAV_SETTINGS", QFile::encodeName(file));
        return file;
    }();
    return path;
}

void WriteStore(const QByteArray& bytes) {
    QFile file(StorePath());
    Require(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    Require(file.write(bytes) == bytes.size());
}

QByteArray ReadStore() {
    QFile file(StorePath());
    Require(file.open(QIODevice::ReadOnly));
    return file.readAll();
}

// The main window's start: a missing key is created with its values empty. False when the store could not
// be read at all.
bool Start(std::array<std::string, 6>& read) {
    platform::Registry registry;
    for (const char* key : kKeys) {
        if (!registry.OpenKey(key, false)) {
            if (registry.StoreError() || !registry.OpenKey(key, true)) {
                return false;
            }
            for (const Value& value : kValues) {
                if (std::string_view(value.Key) == key) {
                    registry.WriteString(value.Name, "");
                }
            }
        }
        for (std::size_t i = 0; i < kValues.size(); ++i) {
            if (std::string_view(kValues[i].Key) == key) {
                read[i] = registry.ReadString(kValues[i].Name);
            }
        }
        Require(registry.CloseKey());
    }
    return true;
}

// The main window's close: all six values written.
void Close(const std::array<std::string, 6>& values) {
    platform::Registry registry;
    for (const char* key : kKeys) {
        Require(registry.OpenKey(key, true));
        for (std::size_t i = 0; i < kValues.size(); ++i) {
            if (std::string_view(kValues[i].Key) == key) {
                registry.WriteString(kValues[i].Name, values[i]);
            }
        }
        Require(registry.CloseKey());
    }
}

// Each line of the file with which of the six values it holds, if any: the first entry of the name in the
// first section of its key, the one the store reads and sets. Headers of the two keys are marked too.
struct Classified {
    ini::Line line;
    std::optional<std::size_t> value;
    bool keyHeader = false;
};

std::vector<Classified> Classify(const ini::File& file) {
    std::vector<Classified> lines;
    std::array<bool, 2> seenKey{};
    std::array<bool, 6> seenValue{};
    for (const ini::Section& section : file.sections) {
        std::optional<std::size_t> key;
        for (std::size_t k = 0; k < kKeys.size(); ++k) {
            if (section.header && !seenKey[k] && ini::SameName(section.name, QLatin1String(kKeys[k]))) {
                key = k;
                seenKey[k] = true;
            }
        }
        if (section.header) {
            lines.push_back({*section.header, std::nullopt, key.has_value()});
        }
        for (const ini::Line& line : section.lines) {
            std::optional<std::size_t> value;
            for (std::size_t i = 0; i < kValues.size(); ++i) {
                if (key && line.name && std::string_view(kValues[i].Key) == kKeys[*key] && !seenValue[i] &&
                    ini::SameName(*line.name, QLatin1String(kValues[i].Name))) {
                    value = i;
                    seenValue[i] = true;
                }
            }
            lines.push_back({line, value, false});
        }
    }
    return lines;
}

// A line kept from the file: the same bytes, though the file's last line may have gained its line break.
bool Kept(const ini::Line& before, const ini::Line& after) {
    return after.text == before.text &&
           (after.lineBreak == before.lineBreak ||
            (!before.lineBreak.endsWith('\n') && after.lineBreak.startsWith(before.lineBreak) &&
             after.lineBreak.endsWith('\n')));
}

// `changed` tells which of the six values the close gave another text than the start read.
void RequireOtherLinesKept(const QByteArray& before, const QByteArray& after,
                           const std::array<bool, 6>& changed) {
    const std::vector<Classified> old = Classify(ini::Parse(before));
    const std::vector<Classified> now = Classify(ini::Parse(after));
    std::size_t j = 0;
    const auto added = [](const Classified& line) {
        return line.value || line.keyHeader || line.line.text.isEmpty();
    };
    for (const Classified& line : old) {
        if (line.value && changed[*line.value]) {
            continue;  // a value the close changed: rewritten
        }
        while (j < now.size() && (now[j].value != line.value || !Kept(line.line, now[j].line))) {
            Require(added(now[j]));
            ++j;
        }
        Require(j < now.size());  // the line is gone or changed
        ++j;
    }
    for (; j < now.size(); ++j) {
        Require(added(now[j]));
    }
}

// A value the store can hold as given: Windows-1251 bytes that survive the way to text and back.
bool Storable(const std::string& value) {
    const auto back = platform::ToCp1251(platform::FromCp1251(value));
    return back && *back == value;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    std::size_t end = input.find('\0');
    const QByteArray before(input.data(), static_cast<qsizetype>(std::min(end, input.size())));
    Require(ini::Format(ini::Parse(before)) == before);

    WriteStore(before);
    std::array<std::string, 6> values;
    if (!Start(values)) {
        Require(ReadStore() == before);  // a store that cannot be read is never written over
        return 0;
    }
    const std::array<std::string, 6> read = values;
    for (std::string& value : values) {
        if (end == std::string_view::npos) {
            break;
        }
        const std::size_t start = end + 1;
        end = input.find('\0', start);
        value = std::string(input.substr(start, end == std::string_view::npos ? end : end - start));
    }
    Close(values);
    const QByteArray after = ReadStore();
    std::array<bool, 6> changed{};
    for (std::size_t i = 0; i < values.size(); ++i) {
        changed[i] = values[i] != read[i];
    }
    RequireOtherLinesKept(before, after, changed);

    platform::Registry registry;
    for (std::size_t i = 0; i < kValues.size(); ++i) {
        Require(registry.OpenKey(kValues[i].Key, false));
        const std::string read = registry.ReadString(kValues[i].Name);
        Require(read == values[i] || !Storable(values[i]));
    }
    registry.CloseKey();

    Close(values);
    Require(ReadStore() == after);
    return 0;
}
