#include "app/CommandLine.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QDir>

#include <exception>
#include <optional>
#include <string>
#include <vector>

#include "core/BookCheck.h"
#include "core/CsvExport.h"
#include "core/PathTokens.h"
#include "core/Sprav.h"
#include "core/SpravFile.h"
#include "document/BookTexts.h"
#include "platform/Console.h"
#include "platform/ConsoleText.h"
#include "platform/Paths.h"
#include "platform/Settings.h"
#include "platform/Text.h"
#include "platform/VersionReader.h"

namespace command_line {

namespace {

using book_check::FindingKind;
using platform::ConsoleStream;

// The program's name in the usage lines: what the user types, on every system.
const QString kProgram = QStringLiteral("QorSprav");
// Help lines are wrapped to fit a console 80 characters wide.
constexpr qsizetype kHelpWidth = 79;
constexpr qsizetype kHelpIndent = 24;

struct Options {
    QCommandLineOption Check{
        QStringLiteral("check"),
        QStringLiteral("Проверить справочник без окна, как команда «Проверка справочника»: "
                       "по строке на каждую находку (что найдено, тестовый файл, "
                       "микросхема, через табуляцию).")};
    QCommandLineOption ExportCsv{QStringLiteral("export-csv"),
                                 QStringLiteral("Записать все аналоги справочника в таблицу CSV, как команда "
                                                "«Экспорт в CSV…»: Windows-1251, поля через «;».")};
    QCommandLineOption Tests{
        QStringLiteral("tests"),
        QStringLiteral("Директория тестов (метка <Tests>:) вместо заданной в настройках."),
        QStringLiteral("папка")};
    QCommandLineOption Desc{
        QStringLiteral("desc"),
        QStringLiteral("Директория описаний (метка <Desc>:) вместо заданной в настройках."),
        QStringLiteral("папка")};
    QCommandLineOption Help{{QStringLiteral("h"), QStringLiteral("?"), QStringLiteral("help")},
                            QStringLiteral("Показать эту справку.")};
    QCommandLineOption Version{{QStringLiteral("v"), QStringLiteral("version")},
                               QStringLiteral("Показать версию программы.")};

    std::vector<const QCommandLineOption*> All() const {
        return {&Check, &ExportCsv, &Tests, &Desc, &Help, &Version};
    }
};

// The parsed command line; Error holds the refusal of one that cannot be followed.
struct Request {
    bool Check = false;
    bool ExportCsv = false;
    bool Help = false;
    bool Version = false;
    std::optional<QString> Tests;
    std::optional<QString> Desc;
    QStringList Arguments;  // what is no option: the book and the table's file
    QString Error;
};

QString OptionName(const QString& name) {
    return (name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) + name;
}

// The parser's own refusals are English; each is said again here in the user's words.
QString ParseError(const QCommandLineParser& parser, const Options& options, const QStringList& arguments) {
    if (const QStringList unknown = parser.unknownOptionNames(); !unknown.isEmpty()) {
        return QStringLiteral("Неизвестный параметр «%1». Список параметров: %2 --help.")
            .arg(OptionName(unknown.front()), kProgram);
    }
    for (const QCommandLineOption* option : {&options.Tests, &options.Desc}) {
        const QString name = OptionName(option->names().front());
        if (!arguments.isEmpty() && arguments.back() == name) {
            return QStringLiteral("После параметра %1 не указана папка.").arg(name);
        }
    }
    for (const QCommandLineOption* option : options.All()) {
        if (!option->valueName().isEmpty()) {
            continue;
        }
        for (const QString& name : option->names()) {
            for (const QString& argument : arguments) {
                if (argument.startsWith(QStringLiteral("-%1=").arg(name)) ||
                    argument.startsWith(QStringLiteral("--%1=").arg(name))) {
                    return QStringLiteral("Параметр %1 не принимает значения.").arg(OptionName(name));
                }
            }
        }
    }
    return QStringLiteral("Неверная командная строка: ") + parser.errorText();
}

Request Parse(const QStringList& arguments) {
    const Options options;
    QCommandLineParser parser;
    for (const QCommandLineOption* option : options.All()) {
        parser.addOption(*option);
    }
    Request request;
    if (!parser.parse(arguments)) {
        request.Error = ParseError(parser, options, arguments.mid(1));
        return request;
    }
    request.Check = parser.isSet(options.Check);
    request.ExportCsv = parser.isSet(options.ExportCsv);
    request.Help = parser.isSet(options.Help);
    request.Version = parser.isSet(options.Version);
    if (parser.isSet(options.Tests)) {
        request.Tests = parser.value(options.Tests);
    }
    if (parser.isSet(options.Desc)) {
        request.Desc = parser.value(options.Desc);
    }
    request.Arguments = parser.positionalArguments();
    if (request.Help || request.Version) {
        return request;
    }
    const qsizetype given = request.Arguments.size();
    if (request.Check && request.ExportCsv) {
        request.Error = QStringLiteral("Параметры --check и --export-csv нельзя указать вместе.");
    } else if (request.Check && given != 1) {
        request.Error = given == 0 ? QStringLiteral("Не указан справочник для проверки.")
                                   : QStringLiteral("Лишние аргументы: %1. Проверяется один справочник.")
                                         .arg(request.Arguments.mid(1).join(QLatin1Char(' ')));
    } else if (request.ExportCsv && given != 2) {
        request.Error = given < 2 ? QStringLiteral(
                                        "Укажите справочник и файл таблицы: %1 --export-csv "
                                        "справочник файл.csv")
                                        .arg(kProgram)
                                  : QStringLiteral("Лишние аргументы: %1.")
                                        .arg(request.Arguments.mid(2).join(QLatin1Char(' ')));
    } else if (!request.Check && !request.ExportCsv && (request.Tests || request.Desc)) {
        request.Error = QStringLiteral(
            "Параметры --tests и --desc действуют только вместе с --check или "
            "--export-csv.");
    }
    return request;
}

void Print(ConsoleStream stream, const QString& text) {
    platform::Print(stream, std::u16string_view(reinterpret_cast<const char16_t*>(text.utf16()),
                                                static_cast<std::size_t>(text.size())));
}
void PrintLine(const QString& text) {
    Print(ConsoleStream::Output, text + QLatin1Char('\n'));
}
void PrintError(const QString& text) {
    Print(ConsoleStream::Error, text + QLatin1Char('\n'));
}

// Words at most `width` characters a line, every line after the first indented by `indent` blanks.
// A word's width on any console: where the code page lacks a typographic mark, the mark is written in
// plain characters ("..." for "…"), which is the widest the word can come out.
qsizetype ConsoleWidth(const QString& word) {
    return static_cast<qsizetype>(
        platform::WithPlainMarks(word.toStdU16String(), [](char16_t) { return false; }).size());
}

QString Wrapped(const QString& text, qsizetype indent, qsizetype width) {
    QString out;
    qsizetype column = indent;
    for (const QString& word : text.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        const qsizetype wordWidth = ConsoleWidth(word);
        if (column > indent && column + 1 + wordWidth > width) {
            out += QLatin1Char('\n') + QString(indent, QLatin1Char(' '));
            column = indent;
        } else if (column > indent) {
            out += QLatin1Char(' ');
            ++column;
        }
        out += word;
        column += wordWidth;
    }
    return out;
}

QString HelpText() {
    QString text = QStringLiteral(
                       "Использование:\n"
                       "  %1 [справочник]\n"
                       "  %1 --check [--tests папка] [--desc папка] справочник\n"
                       "  %1 --export-csv [--tests папка] [--desc папка] справочник файл.csv\n"
                       "\n")
                       .arg(kProgram);
    text +=
        Wrapped(QStringLiteral("Без параметров открывает окно редактора со справочником из командной строки "
                               "или с тем, с которым работали в прошлый раз. С параметрами --check и "
                               "--export-csv работает без окна; директории тестов и описаний берутся из "
                               "настроек редактора (настройки при этом не меняются)."),
                0, kHelpWidth);
    text += QStringLiteral("\n\nПараметры:\n");
    const Options options;
    for (const QCommandLineOption* option : options.All()) {
        QStringList names;
        for (const QString& name : option->names()) {
            names.append(OptionName(name));
        }
        QString left = QStringLiteral("  ") + names.join(QStringLiteral(", "));
        if (!option->valueName().isEmpty()) {
            left += QStringLiteral(" <%1>").arg(option->valueName());
        }
        left = left.size() < kHelpIndent - 1
                   ? left.leftJustified(kHelpIndent)
                   : left + QLatin1Char('\n') + QString(kHelpIndent, QLatin1Char(' '));
        text += left + Wrapped(option->description(), kHelpIndent, kHelpWidth) + QLatin1Char('\n');
    }
    text += QStringLiteral("\nКод завершения:\n");
    text += QStringLiteral(
        "  0  справочник в порядке, таблица записана\n"
        "  1  проверка нашла ошибки или сведения\n"
        "  2  справочник не прочитан, таблица не записана или командная строка неверна\n");
    text += QStringLiteral(
        "\nВ окне: отмена и повтор изменений справочника (Ctrl+Z, Ctrl+Y), последние\n"
        "открытые справочники и экспорт в CSV в меню «Файл». Подробно — в руководстве\n"
        "(F1 в окне, файл QorSprav.html рядом с программой).\n");
    return text;
}

QString VersionText() {
    const QString description = platform::FromCp1251(VersionDescription());
    const QString version = platform::FromCp1251(VersionString("FileVersion"));
    const QString name = description.isEmpty() ? kProgram : description;
    return version.isEmpty() ? name + QStringLiteral(": версия не известна")
                             : name + QStringLiteral(", версия ") + version;
}

// A path from the command line as the book stores it: whole (relative to the current folder), with the
// system's separators; nothing when Windows-1251 cannot hold it.
std::optional<std::string> StoredPath(const QString& argument) {
    std::optional<std::string> stored = platform::ToStoredPath(platform::AbsoluteNativePath(argument));
    if (!stored) {
        PrintError(QStringLiteral("Путь содержит символы, которые нельзя сохранить в справочнике: ") +
                   argument);
    }
    return stored;
}

// The directories behind the tokens: given on the command line, or else as the editor keeps them. The
// settings are only read: a key that is missing stays missing.
std::optional<ServiceDirectories> Directories(const Request& request) {
    ServiceDirectories dirs;
    if (!request.Tests || !request.Desc) {
        platform::Registry registry;
        if (registry.OpenKey("Software\\QOR_Main", false)) {
            dirs.Tests = registry.ReadString("Dir_Tests");
            dirs.Desc = registry.ReadString("Dir_PDF");
        } else if (const std::error_code error = registry.StoreError()) {
            PrintError(
                QStringLiteral("Не удалось прочитать файл настроек %1: %2 Директории тестов и описаний "
                               "не заданы.")
                    .arg(QString::fromStdString(platform::Registry::StoreLocation()),
                         document::SystemErrorText(error)));
        }
    }
    for (auto [given, dir] : {std::pair{&request.Tests, &dirs.Tests}, std::pair{&request.Desc, &dirs.Desc}}) {
        if (*given) {
            std::optional<std::string> stored = platform::ToStoredPath(QDir::toNativeSeparators(**given));
            if (!stored) {
                PrintError(QStringLiteral("Путь содержит символы, которые нельзя сохранить в справочнике: ") +
                           **given);
                return std::nullopt;
            }
            *dir = std::move(*stored);
        }
    }
    return dirs;
}

// Reads the book as the window's Open does and says, as the window would, why it could not.
bool LoadBook(const QString& argument, const ServiceDirectories& dirs, TSprav& sprav) {
    const std::optional<std::string> path = StoredPath(argument);
    if (!path) {
        return false;
    }
    const QString shown = platform::ToDisplayPath(*path);
    if (!platform::FileExists(*path)) {
        PrintError(document::BookNotOpenedText(*path));
        return false;
    }
    const sprav_file::ReadResult result = sprav_file::Load(platform::ToOsPath(*path), sprav, dirs.Tests);
    if (result.Ok()) {
        return true;
    }
    QString text = document::LoadFailureText(*path, result);
    // The window's text stops short for these two; here nobody can look at the file instead.
    if (result.Failure == sprav_file::ReadFailure::CannotRead) {
        text += QLatin1Char('\n') + shown + QStringLiteral(": ") +
                (result.Error == std::errc::permission_denied ? QStringLiteral("Нет прав на чтение.")
                                                              : document::SystemErrorText(result.Error));
    } else if (result.Failure == sprav_file::ReadFailure::TooManyLines) {
        text +=
            QLatin1Char('\n') +
            QStringLiteral("%1 не справочник: в нём больше %2 строк.").arg(shown).arg(sprav_file::kMaxLines);
    }
    PrintError(text);
    return false;
}

// A book whose paths carry a token that no directory stands behind is checked as it is written, and
// every such file is "not found": the user learns why.
void WarnOfUnsetDirectories(const TSprav& sprav, const ServiceDirectories& dirs) {
    bool testsToken = false;
    bool descToken = false;
    for (const auto& file : sprav.Files) {
        testsToken = testsToken || file->Path.starts_with(kTestsToken);
        for (const auto& sinonim : file->Sinonims) {
            descToken = descToken || sinonim->DescPath.starts_with(kDescToken);
        }
    }
    if (testsToken && dirs.Tests.empty()) {
        PrintError(
            QStringLiteral("Директория тестов не задана: пути с меткой <Tests>: проверены как есть. "
                           "Укажите её параметром --tests."));
    }
    if (descToken && dirs.Desc.empty()) {
        PrintError(
            QStringLiteral("Директория описаний не задана: пути с меткой <Desc>: проверены как есть. "
                           "Укажите её параметром --desc."));
    }
}

int CheckBook(const Request& request) {
    const std::optional<ServiceDirectories> dirs = Directories(request);
    TSprav sprav;
    if (!dirs || !LoadBook(request.Arguments.at(0), *dirs, sprav)) {
        return kFailed;
    }
    WarnOfUnsetDirectories(sprav, *dirs);
    const book_check::Result result =
        book_check::Check(sprav, *dirs, [](const std::string& path) { return platform::FileExists(path); });
    QString lines;
    for (const book_check::Finding& finding : result.Findings) {
        const TSpravFile& file = *sprav.Files[static_cast<std::size_t>(finding.FileIndex)];
        const std::string name = finding.NameIndex >= 0
                                     ? file.Sinonims[static_cast<std::size_t>(finding.NameIndex)]->Name
                                     : std::string();
        lines += document::FindingKindText(finding.Kind) + QLatin1Char('\t') +
                 platform::ToDisplayPath(ToTestsToken(file.Path, dirs->Tests)) + QLatin1Char('\t') +
                 platform::FromCp1251(name) + QLatin1Char('\n');
    }
    Print(ConsoleStream::Output, lines);
    PrintError(result.Findings.empty()
                   ? QStringLiteral("Ошибок не найдено.")
                   : QStringLiteral("Ошибок: %1. Сведений: %2.").arg(result.Faults()).arg(result.Notices()));
    return result.Findings.empty() ? kClean : kFindings;
}

int ExportBook(const Request& request) {
    const std::optional<ServiceDirectories> dirs = Directories(request);
    TSprav sprav;
    if (!dirs || !LoadBook(request.Arguments.at(0), *dirs, sprav)) {
        return kFailed;
    }
    const std::optional<std::string> target = StoredPath(request.Arguments.at(1));
    if (!target) {
        return kFailed;
    }
    const std::optional<std::string> book = StoredPath(request.Arguments.at(0));
    if (!book) {
        return kFailed;
    }
    if (const std::error_code error =
            csv_export::Save(platform::ToOsPath(*target), sprav, *dirs, platform::ToOsPath(*book))) {
        PrintError(error == csv_export::TargetIsTheBookError()
                       ? document::TableOverBookText()
                       : document::SaveFailedText(*target, document::SystemErrorText(error)));
        return kFailed;
    }
    return kClean;
}

}  // namespace

bool RunsWithoutWindow(const QStringList& arguments) {
    const Request request = Parse(arguments);
    return !request.Error.isEmpty() || request.Check || request.ExportCsv || request.Help || request.Version;
}

QString BookToOpen(const QStringList& arguments) {
    return Parse(arguments).Arguments.value(0);
}

int Run(const QStringList& arguments) {
    try {
        const Request request = Parse(arguments);
        if (!request.Error.isEmpty()) {
            PrintError(request.Error);
            return kFailed;
        }
        if (request.Help) {
            Print(ConsoleStream::Output, HelpText());
            return kClean;
        }
        if (request.Version) {
            PrintLine(VersionText());
            return kClean;
        }
        return request.Check ? CheckBook(request) : ExportBook(request);
    } catch (const std::exception& error) {
        PrintError(document::ExceptionText(error));
    } catch (...) {
        PrintError(QStringLiteral("Неизвестная ошибка."));
    }
    return kFailed;
}

}  // namespace command_line
