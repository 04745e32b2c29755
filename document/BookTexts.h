// The texts of the book's results that the window and the command line both give: why a file could not be
// read or written, what the book cannot hold, what a finding of the check is. One wording for one fact,
// whichever way the user reached it.
#pragma once

#include <QString>

#include <exception>
#include <string>
#include <system_error>

#include "core/BookCheck.h"
#include "core/SpravFile.h"

namespace document {

// A failure to write or read a file, in the user's words.
QString SystemErrorText(const std::error_code& error);

// The refusal of an export whose target is the open book's own file.
QString TableOverBookText();

// The refusal of text with a byte below 0x20, which no name or path of the book may hold.
QString ControlCharacterRefusal();
// A path that Windows-1251 cannot hold, so that neither the book nor the settings could keep it.
QString UnstorablePathText(const QString& path);
// A typed chip name that Windows-1251 cannot hold.
QString UnstorableNameText();
// A chip name whose line, with its description path, would be longer than a book line may be.
QString SinonimLineTooLongText();
// A test file's path whose line would be longer than a book line may be.
QString TestFileLineTooLongText(const std::string& path);
// The book holds as many lines as its file may: `entry` (a test file's path or a chip name) is not added.
QString BookFullText(const std::string& entry);

// Why a book named by its path (on the command line, in the list of recent books) cannot be opened:
// nothing is there ("Файл не найден: …"), or something is that is no regular file (a folder, a pipe).
QString BookNotOpenedText(const std::string& path);
// "Не удалось сохранить файл …" with the reason on the next line.
QString SaveFailedText(const std::string& path, const QString& reason);
// Why a book could not be saved: the entry the file could not hold, or the system's reason.
QString SaveFailureReason(const sprav_file::WriteResult& result);
// "Невозможно открыть файл." and, for a file that is not a book at all, where it shows.
QString LoadFailureText(const std::string& path, const sprav_file::ReadResult& result);
// A book read whole that could not be written back as it stands: which entry, said once when it is read.
QString UnsavableBookText(const sprav_file::WriteResult& result);

// What a finding of the book check is, in a few words: the start of its row in the report window and the
// whole of it on the command line.
QString FindingKindText(book_check::FindingKind kind);

// The text of whatever a command threw. Our own texts are UTF-8; the system's come in its code page.
QString ExceptionText(const std::exception& error);
QString UnknownExceptionText();

}  // namespace document
