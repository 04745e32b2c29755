#include "SettingsIni.h"

#include <QStringList>

namespace platform::settings_ini {
namespace {

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

}  // namespace

std::vector<Section> Parse(const QString& content) {
    std::vector<Section> sections(1);
    QStringList lines = content.split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.back().isEmpty()) {
        lines.removeLast();  // the final line break
    }
    for (QString text : lines) {
        // Every CR at the end goes, not just the one of a CR LF: a line kept with a CR of its own would lose
        // it at the next write, and the file would change with every save of the same values.
        while (text.endsWith(QLatin1Char('\r'))) {
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

Section& FindOrAddSection(std::vector<Section>& sections, const QString& key) {
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

void SetValue(Section& section, const QString& name, const QString& value) {
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

}  // namespace platform::settings_ini
