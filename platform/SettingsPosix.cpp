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
// Other programs keep their own sections in the same file, so every line the editor does not set comes back
// byte for byte: comments, blank lines, line breaks, bytes that are not UTF-8. A value written with the
// text it already reads as leaves its line alone, so a value in a form of another program's survives a
// close that did not change it.
//
// The file is read when a key is opened and read again just before writing, so that sections and values
// written by others in the meantime survive; it is replaced atomically when the key is closed, and only
// when something was written. It is read as the books are: a regular file only (never a pipe or a device,
// which could block or never end), and not over kMaxSettingsFileBytes; a file that cannot be read so is
// never written over. Every write is checked: on a full disk or any other failure the old file stays as
// it was and CloseKey reports the loss.
#include "platform/Settings.h"

#include "files/AtomicFile.h"
#include "files/WholeFile.h"
#include "platform/SettingsIni.h"
#include "platform/Text.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <optional>
#include <vector>

namespace platform {
namespace {

using settings_ini::Line;
using settings_ini::Section;
using StoreFile = settings_ini::File;

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

// The first section of `key`, as the reader takes it.
const Section* FindKeySection(const StoreFile& store, const QString& key) {
    for (const Section& section : store.sections) {
        if (section.header && settings_ini::SameName(section.name, key)) {
            return &section;
        }
    }
    return nullptr;
}

// What ReadString gives for the value `name` of the section, as stored; nullopt when there is no such
// value. A text edited in by hand that Windows-1251 cannot hold reads as empty, never half-converted.
std::optional<std::string> StoredValue(const Section* section, const QString& name) {
    if (section != nullptr) {
        for (const Line& line : section->lines) {
            if (line.name && settings_ini::SameName(*line.name, name)) {
                return ToCp1251(line.value).value_or(std::string());
            }
        }
    }
    return std::nullopt;
}

}  // namespace

class Registry::Impl {
public:
    bool Open(std::string_view key, bool canCreate);
    std::string Read(std::string_view name) const;
    void Write(std::string_view name, std::string_view value);
    bool Close();
    std::error_code StoreError() const { return FStoreError; }

private:
    // The store's file; `error` tells why it could not be read (then nothing is written over it). A file
    // that is not there yet is an empty store.
    static std::optional<StoreFile> Load(const QString& path, std::error_code& error);
    const Section* FindSection() const;

    QString FPath;
    std::optional<QString> FKey;  // the open key
    bool FCreated = false;
    std::error_code FStoreError;
    StoreFile FStore;
    std::vector<std::pair<std::string, std::string>> FPending;  // values written since the key was opened
};

std::optional<StoreFile> Registry::Impl::Load(const QString& path, std::error_code& error) {
    std::string content;
    error = ReadWholeFile(QFile::encodeName(path).toStdString(), content, kMaxSettingsFileBytes);
    if (error == std::errc::no_such_file_or_directory || error == std::errc::not_a_directory) {
        error.clear();
        return settings_ini::Parse(QByteArray());
    }
    if (error) {
        return std::nullopt;
    }
    return settings_ini::Parse(QByteArray(content.data(), static_cast<qsizetype>(content.size())));
}

const Section* Registry::Impl::FindSection() const {
    return FindKeySection(FStore, *FKey);
}

bool Registry::Impl::Open(std::string_view key, bool canCreate) {
    Close();
    FPath = StorePath();
    auto store = Load(FPath, FStoreError);
    const QString keyText = FromCp1251(key);
    if (!store || keyText.isEmpty()) {
        return false;
    }
    FStore = std::move(*store);
    FKey = keyText;
    // A key exists when its own section does or when a key below it does, as in the registry.
    const QString prefix = *FKey + QLatin1Char('\\');
    bool exists = FindSection() != nullptr;
    for (const Section& section : FStore.sections) {
        exists = exists || (section.header && section.name.startsWith(prefix, Qt::CaseInsensitive));
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
    for (auto it = FPending.rbegin(); it != FPending.rend(); ++it) {
        if (settings_ini::SameName(FromCp1251(it->first), FromCp1251(name))) {
            return it->second;
        }
    }
    return StoredValue(FindSection(), FromCp1251(name)).value_or(std::string());
}

void Registry::Impl::Write(std::string_view name, std::string_view value) {
    if (FKey) {
        FPending.emplace_back(name, value);
    }
}

bool Registry::Impl::Close() {
    bool stored = true;
    if (FKey && (FCreated || !FPending.empty())) {
        stored = false;
        FStore = {};  // the copy read at the open goes first: a large file is held once, not twice
        // Read again: another program may have written its own values since the key was opened.
        std::error_code error;
        if (auto store = Load(FPath, error)) {
            bool changed = FindKeySection(*store, *FKey) == nullptr;
            Section& section = settings_ini::FindOrAddSection(*store, *FKey);
            for (const auto& [nameBytes, valueBytes] : FPending) {
                const QString name = FromCp1251(nameBytes);
                if (StoredValue(&section, name) == valueBytes) {
                    continue;  // already reads so: the line stays as it stands
                }
                settings_ini::SetValue(*store, section, name, FromCp1251(valueBytes));
                changed = true;
            }
            stored = true;
            if (changed) {
                QDir().mkpath(QFileInfo(FPath).absolutePath());
                const QByteArray content = settings_ini::Format(*store);
                stored = !WriteFileAtomically(
                    QFile::encodeName(FPath).toStdString(),
                    std::string_view(content.constData(), static_cast<std::size_t>(content.size())));
            }
        }
    }
    FKey.reset();
    FCreated = false;
    FPending.clear();
    FStore = {};
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
std::error_code Registry::StoreError() const {
    return FImpl->StoreError();
}
std::string Registry::StoreLocation() {
    return QDir::toNativeSeparators(StorePath()).toStdString();
}

}  // namespace platform
