// The boxes, captions and failure texts that every form of the editor shares.
#pragma once

#include <QString>

#include <cstddef>
#include <optional>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

#include "core/BookCheck.h"
#include "core/SpravFile.h"
#include "platform/Dialogs.h"

class QWidget;

namespace forms {

// The caption of the editor's own message boxes.
inline const QString kMessageCaption = QStringLiteral("Редактор справочников");

// An information box: one OK button, the application title as caption.
void Inform(const QString& text);

// While one lives, the information boxes are gathered instead of shown, so that a command that refuses many
// names at once does not show a box per name. When it ends, each text is shown once, with the number of
// names it refused when there was more than one. Only the outermost of nested tallies shows.
class TRefusalTally {
public:
    TRefusalTally();
    ~TRefusalTally();
    TRefusalTally(const TRefusalTally&) = delete;
    TRefusalTally& operator=(const TRefusalTally&) = delete;

    // Takes the box's text; false when no tally is gathering, and the box is to be shown.
    static bool Take(const QString& text);

private:
    TRefusalTally* FOuter;
    std::vector<std::pair<QString, int>> FTexts;  // in the order first refused
};

// A message box with no owner window and an explicit caption.
platform::MessageAnswer Ask(const QString& text, const QString& caption, platform::MessageIcon icon,
                            platform::MessageButtons buttons);

// A failure to write or read a file, in the user's words.
QString SystemErrorText(const std::error_code& error);

// The refusal of an export whose target is the open book's own file, in the window and on the command line.
QString TableOverBookText();

// The refusal of text with a byte below 0x20, which no name or path of the book may hold.
QString ControlCharacterRefusal();

// Shows the refusal box and gives false when `path` has a character Windows-1251 cannot hold or a control
// character.
bool CheckStorablePath(const QString& path);

// A path from a dialog or a drop, as the book stores it; refused with the box above when Windows-1251 cannot
// hold it, since such a path could not be written to the book or the settings.
std::optional<std::string> TakeChosenPath(const QString& chosen);

// Shows an open dialog (or a save dialog) over `parent` and takes the chosen path as the book stores it:
// nothing when the dialog is cancelled or the path is refused (said in the box above).
std::optional<std::string> ChoosePathToOpen(QWidget* parent, const platform::FileDialogOptions& options);
std::optional<std::string> ChoosePathToSave(QWidget* parent, const platform::FileDialogOptions& options);

// A typed chip name as the book stores it; refused with a box when Windows-1251 cannot hold it or it holds
// a control character.
std::optional<std::string> TakeTypedName(const QString& typed);

// True when the book file can hold a chip name with its description path (in token form) on one line;
// otherwise says so.
bool FitsSinonimLine(const std::string& name, const std::string& descToken);

// True when the book file can take one more line beside the `lines` the book gives already; otherwise says
// so, naming the test-file path or chip name that would not fit.
bool FitsLineCount(std::size_t lines, const std::string& entry);

// Why a book named by its path (on the command line, in the list of recent books) cannot be opened:
// nothing is there ("Файл не найден: …"), or something is that is no regular file (a folder, a pipe).
QString BookNotOpenedText(const std::string& path);

// "Не удалось сохранить файл …" with the reason on the next line.
QString SaveFailedText(const std::string& path, const QString& reason);

// Before a save replaces a file that exists: "Заменить существующий файл?". True when nothing is there or
// the user says Yes.
bool MayReplaceExisting(const std::string& path);

// Why a book could not be saved: the entry the file could not hold, or the system's reason.
QString SaveFailureReason(const sprav_file::WriteResult& result);

// "Невозможно открыть файл." and, for a file that is not a book at all, where it shows.
QString LoadFailureText(const std::string& path, const sprav_file::ReadResult& result);

// What a finding of the book check is, in a few words: the start of its row in the report window and the
// whole of it on the command line.
QString FindingKindText(book_check::FindingKind kind);

}  // namespace forms
