// The INI file that stands in for the registry on POSIX, as bytes: parsed into sections that keep every
// line exactly as it stood, its line break and any bytes that are not UTF-8 included, and formatted back.
// Other programs share the file, so a line the editor does not set is never rewritten. No file access
// here, so the reader can be fuzzed on its own.
#pragma once

#include <QByteArray>
#include <QString>

#include <optional>
#include <vector>

namespace platform::settings_ini {

struct Line {
    QByteArray text;  // the line's bytes as they stand, without its line break
    QByteArray
        lineBreak;  // the bytes that end it: LF, CR LF, more CRs and LF; empty (or CRs) at the very end
    std::optional<QString> name;  // for an entry: its decoded name
    QString value;                // for an entry: its decoded value
};

struct Section {
    std::optional<Line> header;  // the line with the brackets; none for the lines before the first section
    QString name;
    std::vector<Line> lines;
};

struct File {
    std::vector<Section> sections;  // the lines before the first header, then one section per header
    QByteArray lineBreak;           // what ends the lines the editor adds: the file's own first line break
};

// The sections of the file's bytes. Format(Parse(bytes)) gives the same bytes back, whatever they are.
File Parse(const QByteArray& content);
// The bytes again: every line as it stood (entries set since as SetValue wrote them).
QByteArray Format(const File& file);

// Key and value names match without regard to case, as in the registry.
bool SameName(const QString& a, const QString& b);
// The section of `key`, added at the end (after a blank line) when missing.
Section& FindOrAddSection(File& file, const QString& key);
// Sets the entry `name` of the section, in place when present (keeping its line break), else after the
// section's last entry.
void SetValue(File& file, Section& section, const QString& name, const QString& value);

}  // namespace platform::settings_ini
