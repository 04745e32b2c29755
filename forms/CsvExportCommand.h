// "Экспорт в CSV…" of the File menu: the book as it stands in the window, saved or not, written as a table
// that a spreadsheet opens.
#pragma once

class QWidget;
class TBook;

namespace forms {

// Asks where to write (beside the book file, under its name), asks before replacing a file as the book's
// save does, and writes the table. A failure is shown with the file's name and the system's reason. True
// when the table was written.
bool ExportCsv(QWidget* parent, const TBook& book);

}  // namespace forms
