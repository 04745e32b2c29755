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
// written by others in the meantime survive; it is replaced atomically (QSaveFile) when the key is closed,
// and only when something was written.
#include "Settings.h"

#include "Text.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

#include <optional>
#include <vector>

namespace platform {
namespace {

struct Line {
    QString text;                 // the line as it stands in the file (comments, blank lines, unknown forms)
    std::optional<QString> name;  // for an entry: its decoded name
    QString value;                // for an entry: its decoded value
};

struct Section {
    QString header;  // the line with the brackets; empty for the lines before the first section
    QString name;
    std::vector<Line> lines;
};

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

bool IsBlank(QChar c) {
    return c == QLatin1Char(' ') || c == QLatin1Char('\t');
}

bool NeedsQuotes(const QString& text, bool isName) {
    if (text.isEmpty()) {
        return false;
    }
    if (IsBlank(text.front()) || IsBlank(text.back()) || text.front() == QLatin1Char('"')) {
        return true;
    }
    for (QChar c : text) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7F) {
            return true;
        }
    }
    if (isName) {
        const QChar first = text.front();
        return text.contains(QLatin1Char('=')) || first == QLatin1Char('[') || first == QLatin1Char(';') ||
               first == QLatin1Char('#');
    }
    return false;
}

QString Quote(const QString& text) {
    QString quoted = QStringLiteral("\"");
    for (QChar c : text) {
        if (c == QLatin1Char('\\') || c == QLatin1Char('"')) {
            quoted += QLatin1Char('\\');
            quoted += c;
        } else if (c.unicode() < 0x20 || c.unicode() == 0x7F) {
            quoted += QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QLatin1Char('0'));
        } else {
            quoted += c;
        }
    }
    return quoted + QLatin1Char('"');
}

QString Encode(const QString& text, bool isName) {
    return NeedsQuotes(text, isName) ? Quote(text) : text;
}

// Reads a quoted text starting at `pos` (on the opening quote); leaves `pos` just past the closing quote.
std::optional<QString> Unquote(const QString& line, qsizetype& pos) {
    QString text;
    for (++pos; pos < line.size(); ++pos) {
        const QChar c = line[pos];
        if (c == QLatin1Char('"')) {
            ++pos;
            return text;
        }
        if (c != QLatin1Char('\\') || pos + 1 >= line.size()) {
            text += c;
            continue;
        }
        const QChar next = line[++pos];
        if (next == QLatin1Char('x') && pos + 2 < line.size()) {
            bool ok = false;
            const int code = line.mid(pos + 1, 2).toInt(&ok, 16);
            if (ok) {
                text += QChar(code);
                pos += 2;
                continue;
            }
        }
        text += next;
    }
    return std::nullopt;  // no closing quote: not a line of ours
}

// An entry line "name=value"; nullopt for anything else, which is kept as it stands.
std::optional<std::pair<QString, QString>> ParseEntry(const QString& line) {
    QString name;
    qsizetype pos = 0;
    if (line.startsWith(QLatin1Char('"'))) {
        const auto quoted = Unquote(line, pos);
        if (!quoted || pos >= line.size() || line[pos] != QLatin1Char('=')) {
            return std::nullopt;
        }
        name = *quoted;
    } else {
        pos = line.indexOf(QLatin1Char('='));
        if (pos <= 0) {
            return std::nullopt;
        }
        name = line.left(pos);
    }
    ++pos;  // past "="
    QString value = line.mid(pos);
    if (value.startsWith(QLatin1Char('"'))) {
        qsizetype valuePos = 0;
        const auto quoted = Unquote(value, valuePos);
        if (quoted && valuePos == value.size()) {
            value = *quoted;
        }
    }
    return std::make_pair(name, value);
}

std::vector<Section> Parse(const QString& content) {
    std::vector<Section> sections(1);
    QStringList lines = content.split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.back().isEmpty()) {
        lines.removeLast();  // the final line break
    }
    for (QString text : lines) {
        if (text.endsWith(QLatin1Char('\r'))) {
            text.chop(1);
        }
        if (text.startsWith(QLatin1Char('[')) && text.endsWith(QLatin1Char(']'))) {
            sections.push_back({text, text.mid(1, text.size() - 2), {}});
            continue;
        }
        Line line{text, std::nullopt, {}};
        if (!text.startsWith(QLatin1Char(';')) && !text.startsWith(QLatin1Char('#'))) {
            if (const auto entry = ParseEntry(text)) {
                line.name = entry->first;
                line.value = entry->second;
            }
        }
        sections.back().lines.push_back(std::move(line));
    }
    return sections;
}

QString Format(const std::vector<Section>& sections) {
    QString content;
    for (const Section& section : sections) {
        if (!section.header.isEmpty()) {
            content += section.header + QLatin1Char('\n');
        }
        for (const Line& line : section.lines) {
            content += line.text + QLatin1Char('\n');
        }
    }
    return content;
}

bool SameName(const QString& a, const QString& b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
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
    static Section& FindOrAddSection(std::vector<Section>& sections, const QString& key);
    static void SetValue(Section& section, const QString& name, const QString& value);
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
    return Parse(QString::fromUtf8(file.readAll()));
}

const Section* Registry::Impl::FindSection() const {
    for (const Section& section : FSections) {
        if (!section.header.isEmpty() && SameName(section.name, *FKey)) {
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
        if (SameName(it->first, wanted)) {
            return ToCp1251(it->second).value_or(std::string());
        }
    }
    if (const Section* section = FindSection()) {
        for (const Line& line : section->lines) {
            if (line.name && SameName(*line.name, wanted)) {
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

Section& Registry::Impl::FindOrAddSection(std::vector<Section>& sections, const QString& key) {
    for (Section& section : sections) {
        if (!section.header.isEmpty() && SameName(section.name, key)) {
            return section;
        }
    }
    // Keep a blank line between sections, as people write INI files.
    Section& last = sections.back();
    if (!last.lines.empty() && !last.lines.back().text.isEmpty()) {
        last.lines.push_back({QString(), std::nullopt, {}});
    }
    sections.push_back({QLatin1Char('[') + key + QLatin1Char(']'), key, {}});
    return sections.back();
}

void Registry::Impl::SetValue(Section& section, const QString& name, const QString& value) {
    const QString text = Encode(name, true) + QLatin1Char('=') + Encode(value, false);
    std::size_t insertAt = 0;
    for (std::size_t i = 0; i < section.lines.size(); ++i) {
        Line& line = section.lines[i];
        if (line.name && SameName(*line.name, name)) {
            line = {text, name, value};
            return;
        }
        if (!line.text.isEmpty()) {
            insertAt = i + 1;  // after the section's last non-blank line, before the gap to the next section
        }
    }
    section.lines.insert(section.lines.begin() + static_cast<std::ptrdiff_t>(insertAt), {text, name, value});
}

bool Registry::Impl::Close() {
    bool stored = true;
    if (FKey && (FCreated || !FPending.empty())) {
        stored = false;
        // Read again: another program may have written its own values since the key was opened.
        if (auto sections = Load(FPath)) {
            Section& section = FindOrAddSection(*sections, *FKey);
            for (const auto& [name, value] : FPending) {
                SetValue(section, name, value);
            }
            QDir().mkpath(QFileInfo(FPath).absolutePath());
            QSaveFile file(FPath);
            if (file.open(QIODevice::WriteOnly)) {
                file.write(Format(*sections).toUtf8());
                stored = file.commit();
            }
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
