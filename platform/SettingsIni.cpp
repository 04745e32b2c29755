#include "platform/SettingsIni.h"

#include <QByteArrayView>

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

bool IsHexDigit(QChar c) {
    const char16_t u = c.unicode();
    return (u >= '0' && u <= '9') || (u >= 'a' && u <= 'f') || (u >= 'A' && u <= 'F');
}

int HexValue(QChar c) {
    const char16_t u = c.unicode();
    return u <= '9' ? u - '0' : (u | 0x20) - 'a' + 10;
}

// Reads a quoted text starting at `pos` (on the opening quote); leaves `pos` just past the closing quote.
// Only the escapes Quote writes are taken: "\\", "\"" and "\x" with exactly two hex digits. Anything else
// ("\x-1", "\n", a lone backslash) means another program wrote the text in a form of its own, and it is
// then read as it stands rather than guessed at.
std::optional<QString> Unquote(const QString& line, qsizetype& pos) {
    QString text;
    for (++pos; pos < line.size(); ++pos) {
        const QChar c = line[pos];
        if (c == QLatin1Char('"')) {
            ++pos;
            return text;
        }
        if (c != QLatin1Char('\\')) {
            text += c;
            continue;
        }
        if (pos + 1 >= line.size()) {
            return std::nullopt;
        }
        const QChar next = line[++pos];
        if (next == QLatin1Char('\\') || next == QLatin1Char('"')) {
            text += next;
            continue;
        }
        if (next == QLatin1Char('x') && pos + 2 < line.size() && IsHexDigit(line[pos + 1]) &&
            IsHexDigit(line[pos + 2])) {
            text += QChar(static_cast<char16_t>(HexValue(line[pos + 1]) * 16 + HexValue(line[pos + 2])));
            pos += 2;
            continue;
        }
        return std::nullopt;
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

// The line breaks most files hold, shared rather than allocated for every line.
QByteArray LineBreakBytes(QByteArrayView bytes) {
    static const QByteArray lf = QByteArrayLiteral("\n");
    static const QByteArray crLf = QByteArrayLiteral("\r\n");
    if (bytes.isEmpty()) {
        return {};
    }
    if (bytes == lf) {
        return lf;
    }
    if (bytes == crLf) {
        return crLf;
    }
    return bytes.toByteArray();
}

// A line that is to have another after it ends with an LF: the last line of a file may have none.
void EndLine(Line& line, const QByteArray& lineBreak) {
    if (!line.lineBreak.endsWith('\n')) {
        line.lineBreak = line.lineBreak.isEmpty() ? lineBreak : line.lineBreak + '\n';
    }
}

Line* LastLine(File& file) {
    for (auto section = file.sections.rbegin(); section != file.sections.rend(); ++section) {
        if (!section->lines.empty()) {
            return &section->lines.back();
        }
        if (section->header) {
            return &*section->header;
        }
    }
    return nullptr;
}

}  // namespace

File Parse(const QByteArray& content) {
    File file;
    file.sections.resize(1);
    for (qsizetype start = 0; start < content.size();) {
        const qsizetype lf = content.indexOf('\n', start);
        const qsizetype end = lf < 0 ? content.size() : lf + 1;
        // Every CR before the LF belongs to the line break, not just the one of a CR LF: "X=1\r\r\n" is
        // the value "1". The break itself is kept as it stands.
        qsizetype textEnd = lf < 0 ? content.size() : lf;
        while (textEnd > start && content[textEnd - 1] == '\r') {
            --textEnd;
        }
        Line line{content.sliced(start, textEnd - start),
                  LineBreakBytes(QByteArrayView(content).sliced(textEnd, end - textEnd)),
                  std::nullopt,
                  {}};
        if (file.lineBreak.isEmpty() && lf >= 0) {
            file.lineBreak = line.lineBreak.endsWith("\r\n") ? LineBreakBytes("\r\n") : LineBreakBytes("\n");
        }
        start = end;
        const QByteArray& text = line.text;
        if (text.startsWith('[') && text.endsWith(']')) {
            const QString name = QString::fromUtf8(text.sliced(1, text.size() - 2));
            file.sections.push_back({std::move(line), name, {}});
            continue;
        }
        // Only a line with "=" can be an entry; the others are not decoded at all.
        if (!text.startsWith(';') && !text.startsWith('#') && text.contains('=')) {
            if (auto entry = ParseEntry(QString::fromUtf8(text))) {
                line.name = std::move(entry->first);
                line.value = std::move(entry->second);
            }
        }
        file.sections.back().lines.push_back(std::move(line));
    }
    if (file.lineBreak.isEmpty()) {
        file.lineBreak = LineBreakBytes("\n");
    }
    return file;
}

QByteArray Format(const File& file) {
    QByteArray content;
    const auto add = [&content](const Line& line) {
        content += line.text;
        content += line.lineBreak;
    };
    for (const Section& section : file.sections) {
        if (section.header) {
            add(*section.header);
        }
        for (const Line& line : section.lines) {
            add(line);
        }
    }
    return content;
}

bool SameName(const QString& a, const QString& b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

Section& FindOrAddSection(File& file, const QString& key) {
    for (Section& section : file.sections) {
        if (section.header && SameName(section.name, key)) {
            return section;
        }
    }
    if (Line* last = LastLine(file)) {
        EndLine(*last, file.lineBreak);
    }
    // Keep a blank line between sections, as people write INI files.
    Section& last = file.sections.back();
    if (!last.lines.empty() && !last.lines.back().text.isEmpty()) {
        last.lines.push_back({QByteArray(), file.lineBreak, std::nullopt, {}});
    }
    Line header{(QLatin1Char('[') + key + QLatin1Char(']')).toUtf8(), file.lineBreak, std::nullopt, {}};
    file.sections.push_back({std::move(header), key, {}});
    return file.sections.back();
}

void SetValue(File& file, Section& section, const QString& name, const QString& value) {
    const QByteArray text = (Encode(name, true) + QLatin1Char('=') + Encode(value, false)).toUtf8();
    std::size_t insertAt = 0;
    for (std::size_t i = 0; i < section.lines.size(); ++i) {
        Line& line = section.lines[i];
        if (line.name && SameName(*line.name, name)) {
            line.text = text;
            line.name = name;
            line.value = value;
            return;
        }
        if (!line.text.isEmpty()) {
            insertAt = i + 1;  // after the section's last non-blank line, before the gap to the next section
        }
    }
    if (insertAt > 0) {
        EndLine(section.lines[insertAt - 1], file.lineBreak);
    } else if (section.header) {
        EndLine(*section.header, file.lineBreak);
    }
    section.lines.insert(section.lines.begin() + static_cast<std::ptrdiff_t>(insertAt),
                         {text, file.lineBreak, name, value});
}

}  // namespace platform::settings_ini
