// The boxes and captions that every form of the editor shares, and the dialogs that choose a path.
#pragma once

#include <QString>

#include <optional>
#include <string>
#include <vector>

#include "platform/Dialogs.h"

class QWidget;

namespace forms {

// The caption of the editor's own message boxes.
inline const QString kMessageCaption = QStringLiteral("Редактор справочников");

// An information box: one OK button, the application title as caption.
void Inform(const QString& text);
// One box for each text, in order: what an operation of the book refused.
void InformAll(const std::vector<QString>& texts);

// A message box with no owner window and an explicit caption.
platform::MessageAnswer Ask(const QString& text, const QString& caption, platform::MessageIcon icon,
                            platform::MessageButtons buttons);

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

// Before a save replaces a file that exists: "Заменить существующий файл?". True when nothing is there or
// the user says Yes.
bool MayReplaceExisting(const std::string& path);


}  // namespace forms
