// The settings store on POSIX: one INI file standing in for HKEY_CURRENT_USER.
//
// Sections are the key paths exactly as on Windows ("[Software\QOR_Sprav]"), entries the value names exactly
// as on Windows ("FileName=C:\Books\a.spr"). The file is UTF-8 so a person can read and edit it; values cross
// to and from Windows-1251 at this boundary. Key and value names match without regard to case, as the
// registry does.
//
// How a value is written: as it stands after the first "=", up to the end of the line, so backslashes, "=",
// ";", "#" and "[" need nothing. Only what a line cannot hold is escaped: a value that starts or ends with a
// blank or a tab, starts with a double quote, or holds a control character (a line break among them) is
// written in double quotes, where "\\" stands for a backslash, "\"" for a quote and "\xHH" for the control
// character with code HH. Names follow the same rule and are quoted also when they hold "=" or start with
// "[", ";" or "#".
//
// The file is read when a key is opened and read again just before writing, so that sections and values
// written by others in the meantime survive; it is replaced atomically when the key is closed, and only
// when something was written. Every write is checked: on a full disk or any other failure the old file
// stays as it was and CloseKey reports the loss.
#include "Settings.h"

#include "AtomicFile.h"
#include "SettingsIni.h"
#include "Text.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <optional>
#include <vector>

namespace platform {
namespace {

using settings_ini::Line;
using settings_ini::Section;

QString StorePath() {
    const QString overridden = qEnvironmentVariable("QOR_SPRAV_SETTINGS");
    if (!overridden.isEmpty()) {
        return overridden;
    }
    QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (config.isEmpty()) {
        config = QDir::homePath() + QStringLiteral("/.config");
    }
    return config + QStringLiteral("/QOR/HKEY_CURRENT_USER.ini");
}

}  // namespace

class Registry::Impl {
public:
    bool Open(std::string_view key, bool canCreate);
    std::string Read(std::string_view name) const;
    void Write(std::string_view name, std::string_view value);
    bool Close();

private:
    // The store's sections; nullopt when the file exists but cannot be read (then nothing is written over
    // it).
    static std::optional<std::vector<Section>> Load(const QString& path);
    const Section* FindSection() const;

    QString FPath;
    std::optional<QString> FKey;  // the open key
    bool FCreated = false;
    std::vector<Section> FSections;
    std::vector<std::pair<QString, QString>> FPending;  // values written since the key was opened
};

std::optional<std::vector<Section>> Registry::Impl::Load(const QString& path) {
    QFile file(path);
    if (!file.exists()) {
        return std::vector<Section>(1);
    }
    if (!file.open(QIODevice::ReadOnly)) {
        return std::nullopt;
    }
    return settings_ini::Parse(QString::fromUtf8(file.readAll()));
}

const Section* Registry::Impl::FindSection() const {
    for (const Section& section : FSections) {
        if (!section.header.isEmpty() && settings_ini::SameName(section.name, *FKey)) {
            return &section;
        }
    }
    return nullptr;
}

bool Registry::Impl::Open(std::string_view key, bool canCreate) {
    Close();
    FPath = StorePath();
    auto sections = Load(FPath);
    const QString keyText = FromCp1251(key);
    if (!sections || keyText.isEmpty()) {
        return false;
    }
    FSections = std::move(*sections);
    FKey = keyText;
    // A key exists when its own section does or when a key below it does, as in the registry.
    const QString prefix = *FKey + QLatin1Char('\\');
    bool exists = FindSection() != nullptr;
    for (const Section& section : FSections) {
        exists = exists || section.name.startsWith(prefix, Qt::CaseInsensitive);
    }
    if (!exists && !canCreate) {
        FKey.reset();
        return false;
    }
    FCreated = !exists;
    return true;
}

std::string Registry::Impl::Read(std::string_view name) const {
    if (!FKey) {
        return {};
    }
    const QString wanted = FromCp1251(name);
    for (auto it = FPending.rbegin(); it != FPending.rend(); ++it) {
        if (settings_ini::SameName(it->first, wanted)) {
            return ToCp1251(it->second).value_or(std::string());
        }
    }
    if (const Section* section = FindSection()) {
        for (const Line& line : section->lines) {
            if (line.name && settings_ini::SameName(*line.name, wanted)) {
                // A text edited in by hand that Windows-1251 cannot hold reads as missing, never
                // half-converted.
                return ToCp1251(line.value).value_or(std::string());
            }
        }
    }
    return {};
}

void Registry::Impl::Write(std::string_view name, std::string_view value) {
    if (FKey) {
        FPending.emplace_back(FromCp1251(name), FromCp1251(value));
    }
}

bool Registry::Impl::Close() {
    bool stored = true;
    if (FKey && (FCreated || !FPending.empty())) {
        stored = false;
        // Read again: another program may have written its own values since the key was opened.
        if (auto sections = Load(FPath)) {
            Section& section = settings_ini::FindOrAddSection(*sections, *FKey);
            for (const auto& [name, value] : FPending) {
                settings_ini::SetValue(section, name, value);
            }
            QDir().mkpath(QFileInfo(FPath).absolutePath());
            const QByteArray content = settings_ini::Format(*sections).toUtf8();
            stored = !WriteFileAtomically(
                QFile::encodeName(FPath).toStdString(),
                std::string_view(content.constData(), static_cast<std::size_t>(content.size())));
        }
    }
    FKey.reset();
    FCreated = false;
    FPending.clear();
    FSections.clear();
    return stored;
}

Registry::Registry() : FImpl(std::make_unique<Impl>()) {}
Registry::~Registry() {
    CloseKey();
}
bool Registry::OpenKey(std::string_view key, bool canCreate) {
    return FImpl->Open(key, canCreate);
}
std::string Registry::ReadString(std::string_view name) const {
    return FImpl->Read(name);
}
bool Registry::HoldsOtherType(std::string_view) const {
    return false;  // the INI file holds text only
}
void Registry::WriteString(std::string_view name, std::string_view value) {
    FImpl->Write(name, value);
}
bool Registry::CloseKey() {
    return FImpl->Close();
}

}  // namespace platform
