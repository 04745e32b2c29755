// The main window: it owns the book, the settings fields and the panels, runs the book, service and help
// commands, connects the panels, and reads the selection chain in one place.
#pragma once

#include <QMainWindow>
#include <QPointer>

#include <memory>
#include <string>

#include "forms/Book.h"
#include "forms/MainSettings.h"
#include "forms/SharedBook.h"

class TCommentPanel;
class TDescriptionPanel;
class TfmBookCheck;
class TNamePanel;
class TPrefixPanel;
class TRecentBooks;
class TTestFilePanel;

namespace Ui {
class TfmMain;
}

class TfmMain : public QMainWindow {
    Q_OBJECT

public:
    explicit TfmMain(QWidget* parent = nullptr);
    ~TfmMain() override;

    // The creation handler: application title, settings, the tests-directory question, the prefix file and
    // the remembered book. Kept apart from construction so that a caller can prepare the desktop first.
    // A non-empty `bookFromCommandLine` opens that book in place of the remembered one.
    void FormCreate(const QString& bookFromCommandLine = {});

    // Book file operations.
    void ClearSprav();
    void LoadSprav(std::string path);  // by value: a failed load clears SpravFileName, often the argument
    bool SaveSprav(const std::string& path);

    // Path tokens with the window's directories.
    std::string ToTestsToken(const std::string& path) const;
    std::string ToDescToken(const std::string& path) const;
    std::string FromTestsToken(const std::string& path) const;
    std::string FromDescToken(const std::string& path) const;

    // The selection chain, in the order it runs.
    void RefreshFileList();
    void lbFilesClick();
    void RefreshNames(bool reselect);
    void UpdatePrefChecks();
    void lbNamesClick();
    void eNameChange();

    // Makes the test file at `fileIndex` current as a click on its row does, then shows its analog at
    // `nameIndex` as a click on that row does: where the find dialog and the book check jump. A test-file
    // position out of range changes nothing; an analog position out of range selects no analog.
    void ShowAnalog(int fileIndex, int nameIndex);
    // Finds a chip across the whole book and jumps to the chosen analog.
    void acFindSinExecute();

    // Undo and redo of the book's changes, one user's command at a time. The book counts as unsaved after
    // either unless it is back as it was last read or saved.
    void acUndoExecute();
    void acRedoExecute();

    // Book, service and help commands.
    void FileNew1Execute();
    void FileOpen1Execute();
    bool FileSave1Execute();  // true when the book was saved
    void acExportCsvExecute();
    void FileExit1Execute();
    // Reopens a book of the "Файл" menu's list of books opened or saved last.
    void OpenRecentBook(const std::string& path);
    void N19Click();
    void acCheckSpravExecute();
    void HelpAbout1Execute();
    void acHelpExecute();

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    friend class TfmMainProbe;  // tests read the window's fields through it

    bool FormCloseQuery();
    bool MaybeSaveChanges();
    void ReadSettings();
    bool WriteSettings();
    void OpenBook(const std::string& path);
    // Where the book dialogs open: the current book's folder, or the folder of the book opened last.
    QString BookFolder() const;
    void SetBookCaption(const std::string& path);
    // The fields the comment panel guards go through these, so that it always knows them.
    void SetSpravFileName(std::string path);
    void SetPrefFileName(std::string path);
    void SetModified();
    void ShowBook();
    void PrefixPanelShown(bool shown);
    // After an undo or redo: the lists show where it changed the book.
    void ShowUndoneChange(int fileIndex, int nameIndex);
    void ConnectHistory();

    void ConnectCommands();
    void ConnectPanels();
    void BuildToolBar();
    void SetGlyphs();
    void SetTabOrder();

    std::unique_ptr<Ui::TfmMain> ui;
    TTestFilePanel* FFiles = nullptr;
    TNamePanel* FNames = nullptr;
    TCommentPanel* FComment = nullptr;
    TDescriptionPanel* FDescription = nullptr;
    TPrefixPanel* FPrefixes = nullptr;
    TRecentBooks* FRecent = nullptr;

    // The book in memory, with the two service directories behind its tokens.
    TBook FBook;
    // The window's own fields; with the book's directories they mirror the settings store.
    std::string SpravFileName;
    std::string PrefFileName;
    std::string SuffFileName;
    bool Modified = false;
    std::string DirQOR;
    TMainSettings FSettings;
    // After New the book has no file of its own until it is saved: its save dialog proposes no name, so that
    // nothing offers to save it over the last book. SpravFileName still names that book, which the next
    // start reopens and in whose folder the book dialogs open.
    bool FNewBook = false;
    // What the book file was when last read or written, to ask before replacing another's changes.
    TSharedBook FSharedBook;
    QPointer<TfmBookCheck> FBookCheck;
};
