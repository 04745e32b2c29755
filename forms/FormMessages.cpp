#include "forms/FormMessages.h"

#include <QFileInfo>

#include <algorithm>

#include "core/BookLines.h"
#include "files/WholeFile.h"
#include "platform/Paths.h"
#include "platform/Text.h"

namespace forms {

namespace {

TRefusalTally* gTally = nullptr;

}  // namespace

TRefusalTally::TRefusalTally() : FOuter(gTally) {
    if (FOuter == nullptr) {
        gTally = this;
    }
}

TRefusalTally::~TRefusalTally() {
    if (FOuter != nullptr) {
        return;
    }
    gTally = nullptr;
    for (const auto& [text, count] : FTexts) {
        Inform(count == 1 ? text : QStringLiteral("%1\n\nНе добавлено названий: %2.").arg(text).arg(count));
    }
}

bool TRefusalTally::Take(const QString& text) {
    if (gTally == nullptr) {
        return false;
    }
    auto& texts = gTally->FTexts;
    const auto seen =
        std::find_if(texts.begin(), texts.end(), [&](const auto& t) { return t.first == text; });
    if (seen != texts.end()) {
        ++seen->second;
    } else {
        texts.emplace_back(text, 1);
    }
    return true;
}

void Inform(const QString& text) {
    if (!TRefusalTally::Take(text)) {
        platform::CurrentDialogs().Information(text);
    }
}

platform::MessageAnswer Ask(const QString& text, const QString& caption, platform::MessageIcon icon,
                            platform::MessageButtons buttons) {
    return platform::CurrentDialogs().MessageBox(text, caption, icon, buttons);
}

QString SystemErrorText(const std::error_code& error) {
    if (error == std::errc::permission_denied || error == std::errc::operation_not_permitted ||
        error == std::errc::read_only_file_system) {
        return QStringLiteral("Нет прав на запись.");
    }
    if (error == std::errc::no_such_file_or_directory || error == std::errc::not_a_directory) {
        return QStringLiteral("Папка не существует.");
    }
    if (error == std::errc::is_a_directory) {
        return QStringLiteral("По этому пути находится папка.");
    }
    if (error == std::errc::no_space_on_device) {
        return QStringLiteral("Недостаточно места на диске.");
    }
    // What the readers answer for a folder, a named pipe or a device, and for a file larger than any of
    // the editor's files can be.
    if (error == std::errc::invalid_argument) {
        return QStringLiteral("Это не обычный файл: папка, канал или устройство.");
    }
    if (error == std::errc::file_too_large) {
        return QStringLiteral("Файл слишком велик.");
    }
    // What the file functions answer for a path with a control byte, and some file systems for bytes
    // their names cannot hold.
    if (error == std::errc::illegal_byte_sequence) {
        return QStringLiteral("Путь содержит символы, недопустимые в имени файла.");
    }
    return QString::fromLocal8Bit(error.message());
}

QString TableOverBookText() {
    return QStringLiteral("Таблица не может заменить сам справочник: укажите другой файл.");
}

bool CheckStorablePath(const QString& path) {
    const std::optional<std::string> bytes = platform::ToCp1251(path);
    if (!bytes) {
        Inform(QStringLiteral("Путь содержит символы, которые нельзя сохранить в справочнике: ") + path);
        return false;
    }
    if (book_lines::HasControlByte(*bytes)) {
        Inform(ControlCharacterRefusal());
        return false;
    }
    return true;
}

QString ControlCharacterRefusal() {
    return QStringLiteral(
        "Текст содержит управляющие символы (перевод строки, табуляцию и т. п.): "
        "такой текст нельзя сохранить в справочнике.");
}

std::optional<std::string> TakeChosenPath(const QString& chosen) {
    if (!CheckStorablePath(chosen)) {
        return std::nullopt;
    }
    return platform::ToStoredPath(chosen);
}

std::optional<std::string> TakeTypedName(const QString& typed) {
    std::optional<std::string> name = platform::ToCp1251(typed);
    if (!name) {
        Inform(QStringLiteral("Название содержит символы, которые нельзя сохранить в справочнике."));
    } else if (book_lines::HasControlByte(*name)) {
        Inform(ControlCharacterRefusal());
        return std::nullopt;
    }
    return name;
}

bool FitsSinonimLine(const std::string& name, const std::string& descToken) {
    if (book_lines::SinonimLineLength(name.size(), descToken.size()) <= book_lines::kMaxLineLength) {
        return true;
    }
    Inform(QStringLiteral("Название микросхемы вместе с путём к файлу описания длиннее %1 символов: "
                          "такую строку справочник не сохранит.")
               .arg(book_lines::kMaxLineLength));
    return false;
}

bool FitsLineCount(std::size_t lines, const std::string& entry) {
    if (lines < book_lines::kMaxLines) {
        return true;
    }
    Inform(QStringLiteral("В справочнике уже %1 строк, больше он не сможет сохранить. Не добавлено: ")
               .arg(book_lines::kMaxLines) +
           platform::ToDisplayPath(entry));
    return false;
}

std::optional<std::string> ChoosePathToOpen(QWidget* parent, const platform::FileDialogOptions& options) {
    const std::optional<QString> chosen = platform::CurrentDialogs().OpenFile(parent, options);
    return chosen ? TakeChosenPath(*chosen) : std::nullopt;
}

std::optional<std::string> ChoosePathToSave(QWidget* parent, const platform::FileDialogOptions& options) {
    const std::optional<QString> chosen = platform::CurrentDialogs().SaveFile(parent, options);
    return chosen ? TakeChosenPath(*chosen) : std::nullopt;
}

QString SaveFailureReason(const sprav_file::WriteResult& result) {
    using sprav_file::WriteFailure;
    const QString entry = platform::FromCp1251(result.Entry);
    switch (result.Failure) {
        case WriteFailure::LineTooLong:
            return QStringLiteral("Строка справочника для «%1» длиннее %2 символов.")
                .arg(entry)
                .arg(sprav_file::kMaxLineLength);
        case WriteFailure::TooManyLines:
            return QStringLiteral("В справочнике больше %1 строк.").arg(sprav_file::kMaxLines);
        case WriteFailure::UnstorableText:
            return QStringLiteral("Запись «%1» содержит символы, которые справочник не может хранить.")
                .arg(entry);
        case WriteFailure::CannotWrite:
            return forms::SystemErrorText(result.Error);
        case WriteFailure::None:
            break;
    }
    return {};
}

QString LoadFailureText(const std::string& path, const sprav_file::ReadResult& result) {
    const QString cannotOpen = QStringLiteral("Невозможно открыть файл.");
    if (result.Failure == sprav_file::ReadFailure::ControlByte) {
        // The line itself is not shown: its control bytes would garble the box.
        return cannotOpen + QLatin1Char('\n') +
               QStringLiteral(
                   "%1 не справочник: строка %2 содержит управляющие символы (нулевой байт, "
                   "табуляцию и т. п.), которых в путях и названиях быть не может.")
                   .arg(platform::ToDisplayPath(path))
                   .arg(result.LineNumber);
    }
    if (result.Failure == sprav_file::ReadFailure::LineTooLong) {
        return cannotOpen + QLatin1Char('\n') +
               QStringLiteral("%1 не справочник: строка %2 длиннее %3 символов.")
                   .arg(platform::ToDisplayPath(path))
                   .arg(result.LineNumber)
                   .arg(sprav_file::kMaxLineLength);
    }
    if (result.Failure != sprav_file::ReadFailure::NotABook) {
        return cannotOpen;
    }
    constexpr qsizetype kShownChars = 60;
    QString line = platform::FromCp1251(result.Line);
    if (line.size() > kShownChars) {
        line = line.left(kShownChars) + QStringLiteral("…");
    }
    return cannotOpen + QLatin1Char('\n') +
           QStringLiteral("%1 не справочник: строка %2 «%3» стоит раньше первого тестового файла.")
               .arg(platform::ToDisplayPath(path))
               .arg(result.LineNumber)
               .arg(line);
}

QString BookNotOpenedText(const std::string& path) {
    const QString shown = platform::ToDisplayPath(path);
    const bool somethingThere =
        !book_lines::HasControlByte(path) && QFileInfo::exists(platform::ToOsPathText(path));
    return somethingThere ? QStringLiteral("Невозможно открыть файл.\n%1: %2")
                                .arg(shown, SystemErrorText(NotARegularFileError()))
                          : QStringLiteral("Файл не найден: ") + shown;
}

QString SaveFailedText(const std::string& path, const QString& reason) {
    return QStringLiteral("Не удалось сохранить файл %1\n%2").arg(platform::ToDisplayPath(path), reason);
}

bool MayReplaceExisting(const std::string& path) {
    return !platform::FileExists(path) ||
           Ask(QStringLiteral("Заменить существующий файл?"), QStringLiteral("Редактор Справочников"),
               platform::MessageIcon::Question,
               platform::MessageButtons::YesNo) == platform::MessageAnswer::Yes;
}

QString FindingKindText(book_check::FindingKind kind) {
    using book_check::FindingKind;
    switch (kind) {
        case FindingKind::MissingTestFile:
            return QStringLiteral("Тестовый файл не найден");
        case FindingKind::RepeatedTestFile:
            return QStringLiteral("Тестовый файл уже есть в списке");
        case FindingKind::MissingDescription:
            return QStringLiteral("Файл описания не найден");
        case FindingKind::EmptyName:
            return QStringLiteral("Пустое название аналога");
        case FindingKind::RepeatedName:
            return QStringLiteral("Название повторяется");
        case FindingKind::NameCaseVariant:
            return QStringLiteral("Название отличается только регистром букв");
        case FindingKind::NameInSeveralFiles:
            return QStringLiteral("Название есть в нескольких тестовых файлах");
    }
    return {};
}

}  // namespace forms
