#include "forms/CsvExportCommand.h"

#include "core/CsvExport.h"
#include "forms/FormMessages.h"
#include "platform/Paths.h"

namespace forms {

bool ExportCsv(QWidget* parent, const TSprav& sprav, const ServiceDirectories& dirs,
               const std::string& bookPath) {
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
    const std::filesystem::path book = bookPath.empty() ? std::filesystem::path() : platform::ToOsPath(bookPath);
    if (csv_export::IsTheBookItself(platform::ToOsPath(*path), book)) {
        Inform(TableOverBookText());
        return false;
    }
    if (!MayReplaceExisting(*path)) {
        return false;
    }
    if (const std::error_code error = csv_export::Save(platform::ToOsPath(*path), sprav, dirs, book)) {
        Ask(error == csv_export::TargetIsTheBookError() ? TableOverBookText()
                                                         : SaveFailedText(*path, SystemErrorText(error)),
            kMessageCaption, platform::MessageIcon::Warning, platform::MessageButtons::Ok);
        return false;
    }
    return true;
}

}  // namespace forms
