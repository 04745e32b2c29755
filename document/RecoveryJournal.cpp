#include "document/RecoveryJournal.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QStringDecoder>

#include <algorithm>
#include <array>
#include <charconv>
#include <set>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

#include "platform/Text.h"

namespace recovery {

namespace {

// The journals this process writes: a lock that names this process is its own only for these.
std::set<QString>& OwnJournals() {
    static std::set<QString> journals;
    return journals;
}

constexpr std::string_view kVersionLine = "QorSprav recovery journal 1";
constexpr char kHex[] = "0123456789abcdef";

void AppendHexByte(std::string& out, unsigned char byte) {
    out += "\\x";
    out += kHex[byte >> 4];
    out += kHex[byte & 0x0F];
}

// The UTF-8 form of each Windows-1251 byte from 0x80 up; empty for a byte that has no letter.
const std::array<std::string, 128>& UpperHalf() {
    static const std::array<std::string, 128> table = [] {
        std::array<std::string, 128> letters;
        for (int byte = 0x80; byte <= 0xFF; ++byte) {
            const std::string one(1, static_cast<char>(byte));
            const QString text = platform::FromCp1251(one);
            if (platform::ToCp1251(text) == one) {
                letters[static_cast<std::size_t>(byte - 0x80)] = text.toStdString();
            }
        }
        return letters;
    }();
    return table;
}

std::vector<std::string_view> SplitFields(std::string_view line) {
    std::vector<std::string_view> fields;
    std::size_t start = 0;
    for (;;) {
        const std::size_t tab = line.find('\t', start);
        fields.push_back(line.substr(start, tab == std::string_view::npos ? std::string_view::npos : tab - start));
        if (tab == std::string_view::npos) {
            return fields;
        }
        start = tab + 1;
    }
}

template <class Number>
std::optional<Number> ParseNumber(std::string_view field, int base = 10) {
    Number value{};
    const auto [end, error] = std::from_chars(field.data(), field.data() + field.size(), value, base);
    if (error != std::errc() || end != field.data() + field.size() || field.empty()) {
        return std::nullopt;
    }
    return value;
}

// Takes the escape at field[i] (a doubled backslash, or a backslash, "x" and two hex digits) into `out` and
// moves past it; false when no escape of ours stands there.
bool TakeEscape(std::string_view field, std::size_t& i, std::string& out) {
    if (i + 1 < field.size() && field[i + 1] == '\\') {
        out += '\\';
        i += 2;
        return true;
    }
    if (i + 3 < field.size() && field[i + 1] == 'x') {
        const auto value = ParseNumber<unsigned>(field.substr(i + 2, 2), 16);
        if (!value) {
            return false;
        }
        out += static_cast<char>(*value);
        i += 4;
        return true;
    }
    return false;
}

using Kind = TBookHistory::Change::Kind;

constexpr std::array<std::pair<Kind, std::string_view>, 5> kKinds = {{{Kind::InsertFile, "file+"},
                                                                       {Kind::RemoveFile, "file-"},
                                                                       {Kind::InsertNames, "names+"},
                                                                       {Kind::RemoveNames, "names-"},
                                                                       {Kind::ChangeName, "rename"}}};

std::string_view KindName(Kind kind) {
    for (const auto& [value, name] : kKinds) {
        if (value == kind) {
            return name;
        }
    }
    return {};
}

std::optional<Kind> KindOf(std::string_view name) {
    for (const auto& [value, text] : kKinds) {
        if (text == name) {
            return value;
        }
    }
    return std::nullopt;
}

std::string MoveRecord(const TBookHistory::Move& move) {
    std::string record = "step\t" + std::to_string(move.Id) + (move.Forward ? "\tforward\t" : "\tbackward\t") +
                         EscapeText(move.Text) + "\n";
    for (const TBookHistory::Change& change : move.Changes) {
        record += "change\t";
        record += KindName(change.What);
        record += "\t" + std::to_string(change.File) + "\t" + std::to_string(change.Position) + "\t" +
                  std::to_string(change.Occurrence) + "\t" + EscapeBytes(change.Path) + "\n";
        for (const TSpravSinonim& name : change.Names) {
            record += "name\t" + EscapeBytes(name.Name) + "\t" + EscapeBytes(name.DescPath) + "\n";
        }
    }
    record += "end\n";
    return record;
}

}  // namespace

std::string EscapeBytes(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 2);
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte == '\\') {
            out += "\\\\";
        } else if (byte < 0x20 || byte == 0x7F) {
            AppendHexByte(out, byte);
        } else if (byte < 0x80) {
            out += c;
        } else if (const std::string& letter = UpperHalf()[byte - 0x80]; !letter.empty()) {
            out += letter;
        } else {
            AppendHexByte(out, byte);
        }
    }
    return out;
}

std::optional<std::string> UnescapeBytes(std::string_view field) {
    std::string out;
    out.reserve(field.size());
    std::size_t i = 0;
    while (i < field.size()) {
        const auto byte = static_cast<unsigned char>(field[i]);
        if (byte == '\\') {
            if (!TakeEscape(field, i, out)) {
                return std::nullopt;
            }
            continue;
        }
        if (byte < 0x20) {
            return std::nullopt;
        }
        if (byte < 0x80) {
            out += static_cast<char>(byte);
            ++i;
            continue;
        }
        // One letter in UTF-8: its length from its first byte.
        const std::size_t length = byte >= 0xF0 ? 4 : byte >= 0xE0 ? 3 : byte >= 0xC0 ? 2 : 0;
        if (length == 0 || i + length > field.size()) {
            return std::nullopt;
        }
        const std::string_view letter = field.substr(i, length);
        const auto& table = UpperHalf();
        const auto found = std::find(table.begin(), table.end(), letter);
        if (found == table.end()) {
            return std::nullopt;
        }
        out += static_cast<char>(0x80 + (found - table.begin()));
        i += length;
    }
    return out;
}

std::string EscapeText(const QString& text) {
    std::string out;
    const QByteArray utf8 = text.toUtf8();
    for (const char c : utf8) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte == '\\') {
            out += "\\\\";
        } else if (byte < 0x20 || byte == 0x7F) {
            AppendHexByte(out, byte);
        } else {
            out += c;
        }
    }
    return out;
}

std::optional<QString> UnescapeText(std::string_view field) {
    std::string utf8;
    std::size_t i = 0;
    while (i < field.size()) {
        if (field[i] == '\\') {
            if (!TakeEscape(field, i, utf8)) {
                return std::nullopt;
            }
            continue;
        }
        utf8 += field[i++];
    }
    QStringDecoder decode(QStringDecoder::Utf8);
    QString text = decode(QByteArrayView(utf8.data(), static_cast<qsizetype>(utf8.size())));
    if (decode.hasError()) {
        return std::nullopt;
    }
    return text;
}

void AddMove(std::vector<TBookHistory::Move>& moves, TBookHistory::Move move) {
    if (!moves.empty() && moves.back().Id == move.Id && moves.back().Forward != move.Forward) {
        moves.pop_back();
        return;
    }
    moves.push_back(std::move(move));
}

std::optional<TJournal> Parse(std::string_view bytes) {
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    while (start < bytes.size()) {
        const std::size_t end = bytes.find('\n', start);
        if (end == std::string_view::npos) {
            break;  // the last line has no end: cut off while it was written
        }
        lines.push_back(bytes.substr(start, end - start));
        start = end + 1;
    }
    if (lines.empty() || lines.front() != kVersionLine) {
        // A journal cut off within its first line was never more than its beginning.
        if (lines.empty() && kVersionLine.substr(0, bytes.size()) == bytes) {
            return TJournal{};
        }
        return std::nullopt;
    }
    TJournal journal;
    std::optional<TBookHistory::Move> open;
    for (std::size_t i = 1; i < lines.size(); ++i) {
        const std::vector<std::string_view> fields = SplitFields(lines[i]);
        const std::string_view kind = fields[0];
        bool ok = true;
        if (kind == "book" && fields.size() == 2 && !open) {
            const auto path = UnescapeBytes(fields[1]);
            ok = path.has_value();
            journal.BookPath = path.value_or(std::string());
        } else if (kind == "stamp" && fields.size() == 3 && !open) {
            const auto size = ParseNumber<std::uint64_t>(fields[1]);
            const auto hash = ParseNumber<std::uint64_t>(fields[2], 16);
            ok = size && hash;
            journal.BookSize = size.value_or(0);
            journal.BookHash = hash.value_or(0);
        } else if (kind == "step" && fields.size() == 4 && !open) {
            const auto id = ParseNumber<std::uint64_t>(fields[1]);
            const auto text = UnescapeText(fields[3]);
            ok = id && text && (fields[2] == "forward" || fields[2] == "backward");
            if (ok) {
                open = TBookHistory::Move{*id, *text, {}, fields[2] == "forward"};
            }
        } else if (kind == "change" && fields.size() == 6 && open) {
            const auto what = KindOf(fields[1]);
            const auto file = ParseNumber<int>(fields[2]);
            const auto position = ParseNumber<int>(fields[3]);
            const auto occurrence = ParseNumber<int>(fields[4]);
            const auto path = UnescapeBytes(fields[5]);
            ok = what && file && position && occurrence && path;
            if (ok) {
                open->Changes.push_back({*what, *file, *position, *path, *occurrence, {}});
            }
        } else if (kind == "name" && fields.size() == 3 && open && !open->Changes.empty()) {
            const auto name = UnescapeBytes(fields[1]);
            const auto desc = UnescapeBytes(fields[2]);
            ok = name && desc;
            if (ok) {
                open->Changes.back().Names.push_back({*name, *desc});
            }
        } else if (kind == "end" && fields.size() == 1 && open) {
            // A rename holds the analog before and after; anything else would not play back.
            ok = std::all_of(open->Changes.begin(), open->Changes.end(), [](const TBookHistory::Change& change) {
                return change.What != Kind::ChangeName || change.Names.size() == 2;
            });
            if (ok) {
                AddMove(journal.Moves, std::move(*open));
                open.reset();
            }
        } else if (kind == "comment" && fields.size() == 4 && !open) {
            if (fields[2].empty()) {
                journal.Comment.reset();
            } else {
                const auto occurrence = ParseNumber<int>(fields[1]);
                const auto path = UnescapeBytes(fields[2]);
                const auto text = UnescapeBytes(fields[3]);
                ok = occurrence && path && text;
                if (ok) {
                    journal.Comment = TComment{*path, *occurrence, *text};
                }
            }
        } else {
            ok = false;
        }
        if (!ok) {
            break;  // what follows a line that cannot be read is not to be trusted
        }
    }
    return journal;
}

// ---------------------------------------------------------------------------------------------------------
// The writer.

TJournalWriter::TJournalWriter(QString folder) : FFolder(std::move(folder)) {}

TJournalWriter::~TJournalWriter() {
    // A journal still open at the end holds unsaved work: it stays for the next start, which finds the
    // lock given up.
    if (FFile != nullptr) {
        FFile->close();
        OwnJournals().erase(QFileInfo(FPath).absoluteFilePath());
    }
}

void TJournalWriter::Begin(std::string bookPath, std::uint64_t size, std::uint64_t hash) {
    Discard();
    char hex[17];
    std::snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(hash));
    FHeader = std::string(kVersionLine) + "\nbook\t" + EscapeBytes(bookPath) + "\nstamp\t" + std::to_string(size) +
              "\t" + hex + "\n";
    FFailed = false;
}

bool TJournalWriter::Open() {
    if (FFile != nullptr) {
        return !FFailed;  // after a record that did not reach the disk, none may follow it
    }
    if (FFailed || FFolder.isEmpty() || FHeader.empty() || !QDir().mkpath(FFolder)) {
        FFailed = true;
        return false;
    }
    // Two windows of one process may start journals in the same millisecond.
    static int started = 0;
    const QString name = QStringLiteral("journal-%1-%2-%3.txt")
                             .arg(QCoreApplication::applicationPid())
                             .arg(QDateTime::currentMSecsSinceEpoch())
                             .arg(++started);
    FPath = QDir(FFolder).filePath(name);
    FLock = std::make_unique<QLockFile>(FPath + QStringLiteral(".lock"));
    FLock->setStaleLockTime(0);
    FFile = std::make_unique<QFile>(FPath);
    if (!FLock->tryLock(0) || !FFile->open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered)) {
        FFile.reset();
        FLock.reset();
        FPath.clear();
        FFailed = true;
        return false;
    }
    OwnJournals().insert(QFileInfo(FPath).absoluteFilePath());
    Write(FHeader);
    return !FFailed;
}

void TJournalWriter::Write(const std::string& record) {
    if (FFile->write(record.data(), static_cast<qint64>(record.size())) != static_cast<qint64>(record.size())) {
        FFailed = true;
        return;
    }
    if (FFlush) {
#ifdef _WIN32
        const bool synced = _commit(FFile->handle()) == 0;
#else
        const bool synced = ::fsync(FFile->handle()) == 0;
#endif
        FFailed = FFailed || !synced;
    }
}

void TJournalWriter::Append(const TBookHistory::Move& move) {
    if (Open()) {
        Write(MoveRecord(move));
    }
}

void TJournalWriter::SetComment(const std::optional<TComment>& comment) {
    if (!comment && FFile == nullptr) {
        return;  // nothing typed and no journal: nothing to say
    }
    if (!Open()) {
        return;
    }
    Write(comment ? "comment\t" + std::to_string(comment->Occurrence) + "\t" + EscapeBytes(comment->TestPath) +
                        "\t" + EscapeBytes(comment->Text) + "\n"
                  : std::string("comment\t0\t\t\n"));
}

void TJournalWriter::Discard() {
    if (FFile != nullptr) {
        FFile->close();
        FFile.reset();
        QFile::remove(FPath);
    }
    OwnJournals().erase(QFileInfo(FPath).absoluteFilePath());
    FLock.reset();
    FPath.clear();
}

// ---------------------------------------------------------------------------------------------------------
// Journals left behind.

std::vector<TLeftBehind> FindLeftBehind(const QString& folder) {
    std::vector<TLeftBehind> found;
    QDir dir(folder);
    const QFileInfoList journals =
        dir.entryInfoList({QStringLiteral("journal-*.txt")}, QDir::Files, QDir::Time);
    for (const QFileInfo& info : journals) {
        // The editor that writes a journal holds its lock; a lock whose process is gone is taken over.
        QLockFile lock(info.absoluteFilePath() + QStringLiteral(".lock"));
        lock.setStaleLockTime(0);
        if (!lock.tryLock(0)) {
            // A process of the same name that got the crashed one's number (Wine hands numbers out again
            // soon) is this one: the lock is stale unless this process writes that journal itself.
            qint64 pid = 0;
            QString host;
            QString application;
            if (!lock.getLockInfo(&pid, &host, &application) || pid != QCoreApplication::applicationPid() ||
                OwnJournals().count(info.absoluteFilePath()) != 0 || !lock.removeStaleLockFile() ||
                !lock.tryLock(0)) {
                continue;
            }
        }
        lock.unlock();
        QFile file(info.absoluteFilePath());
        if (!file.open(QIODevice::ReadOnly)) {
            continue;
        }
        const QByteArray bytes = file.readAll();
        found.push_back({info.absoluteFilePath(), Parse(std::string_view(bytes.constData(), bytes.size()))});
    }
    return found;
}

void RemoveLeftBehind(const QString& path) {
    QFile::remove(path);
    QFile::remove(path + QStringLiteral(".lock"));
}

QString SetAside(const QString& path) {
    const QString aside = path + QStringLiteral(".unreadable");
    QFile::remove(aside);
    QFile::rename(path, aside);
    QFile::remove(path + QStringLiteral(".lock"));
    return aside;
}

QString DefaultFolder() {
    const QString data = QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation);
    return data.isEmpty() ? QString() : QDir(data).filePath(QStringLiteral("recovery"));
}

}  // namespace recovery
