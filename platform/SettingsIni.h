// The INI file that stands in for the registry on POSIX, as text: parsed into sections that keep every
// line as it stood, and formatted back. No file access here, so the reader can be fuzzed on its own.
#pragma once

#include <QString>

#include <optional>
#include <vector>

namespace platform::settings_ini {

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

// The sections of the file's text: the lines before the first section header, then one per header.
std::vector<Section> Parse(const QString& content);
// The text again: every line as it stood (entries set since as SetValue wrote them), each ending with LF.
QString Format(const std::vector<Section>& sections);

// Key and value names match without regard to case, as in the registry.
bool SameName(const QString& a, const QString& b);
// The section of `key`, added at the end (after a blank line) when missing.
Section& FindOrAddSection(std::vector<Section>& sections, const QString& key);
// Sets the entry `name` of the section, in place when present, else after the section's last entry.
void SetValue(Section& section, const QString& name, const QString& value);

}  // namespace platform::settings_ini
