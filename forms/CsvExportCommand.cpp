#include "forms/CsvExportCommand.h"

#include "document/Book.h"
#include "document/BookTexts.h"
#include "forms/FormMessages.h"
#include "platform/Paths.h"

namespace forms {

bool ExportCsv(QWidget* parent, const TBook& book) {
    const std::string bookPath = book.IsNew() ? std::string() : book.SpravFileName();
    platform::FileDialogOptions options;
    options.Title = QStringLiteral("Экспорт в CSV");
    options.Filter = QStringLiteral("Таблицы CSV|*.csv|Все файлы|*.*");
    options.DefaultExtension = QStringLiteral("csv");
    if (!bookPath.empty()) {
        options.InitialDir = platform::ToOsPathText(platform::ExtractFileDir(bookPath));
        options.FileName = platform::ToDisplayPath(
            platform::ChangeFileExt(bookPath.substr(platform::ExtractFilePath(bookPath).size()), ".csv"));
    }
    const std::optional<std::string> path = ChoosePathToSave(parent, options);
    if (!path) {
        return false;
    }
    // The book's own file is refused before the question whether to replace it: no answer may put a
    // table in its place.
    if (book.IsBookFile(*path)) {
        Inform(document::TableOverBookText());
        return false;
    }
    if (!MayReplaceExisting(*path)) {
        return false;
    }
    if (const QString failure = book.Export(*path); !failure.isEmpty()) {
        Ask(failure, kMessageCaption, platform::MessageIcon::Warning, platform::MessageButtons::Ok);
        return false;
    }
    return true;
}

}  // namespace forms
