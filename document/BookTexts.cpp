#include "document/BookTexts.h"

#include <QFileInfo>
#include <QStringDecoder>

#include "core/BookLines.h"
#include "files/WholeFile.h"
#include "platform/Paths.h"
#include "platform/Text.h"

namespace document {

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

QString ControlCharacterRefusal() {
    return QStringLiteral(
        "Текст содержит управляющие символы (перевод строки, табуляцию и т. п.): "
        "такой текст нельзя сохранить в справочнике.");
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
            return SystemErrorText(result.Error);
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

QString UnstorablePathText(const QString& path) {
    return QStringLiteral("Путь содержит символы, которые нельзя сохранить в справочнике: ") + path;
}

QString UnstorableNameText() {
    return QStringLiteral("Название содержит символы, которые нельзя сохранить в справочнике.");
}

QString SinonimLineTooLongText() {
    return QStringLiteral("Название микросхемы вместе с путём к файлу описания длиннее %1 символов: "
                          "такую строку справочник не сохранит.")
        .arg(book_lines::kMaxLineLength);
}

QString TestFileLineTooLongText(const std::string& path) {
    return QStringLiteral("Путь к тестовому файлу длиннее %1 символов, справочник не сможет его сохранить: ")
               .arg(book_lines::kMaxLineLength) +
           platform::ToDisplayPath(path);
}

QString BookFullText(const std::string& entry) {
    return QStringLiteral("В справочнике уже %1 строк, больше он не сможет сохранить. Не добавлено: ")
               .arg(book_lines::kMaxLines) +
           platform::ToDisplayPath(entry);
}

QString UnsavableBookText(const sprav_file::WriteResult& result) {
    return QStringLiteral("Справочник открыт, но сохранить его в таком виде нельзя. ") + SaveFailureReason(result) +
           QStringLiteral(" Исправьте или удалите эту запись перед сохранением.");
}

QString ExceptionText(const std::exception& error) {
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString text = utf8(QByteArrayView(error.what()));
    return utf8.hasError() ? QString::fromLocal8Bit(error.what()) : text;
}

QString UnknownExceptionText() {
    return QStringLiteral("Неизвестная ошибка.");
}

}  // namespace document
