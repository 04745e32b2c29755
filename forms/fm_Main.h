// The main window: it shows the open book (the document) and owns the settings fields and the panels, runs
// the book, service and help commands, connects the panels, and reads the selection chain in one place.
#pragma once

#include <QMainWindow>
#include <QPointer>
#include <QTimer>

#include <memory>
#include <string>

#include "document/Book.h"
#include "document/MainSettings.h"
#include "platform/Dialogs.h"

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

    // The open book. The window shows it; every change goes through its operations.
    TBook& Book() { return FBook; }
    const TBook& Book() const { return FBook; }
    // The book file in use and whether the book holds unsaved changes, as the document has them.
    const std::string& SpravFileName() const { return FBook.SpravFileName(); }
    bool Modified() const { return FBook.Modified(); }
    // The prefix file in use.
    const std::string& PrefFileName() const { return FPrefFileName; }
    void SetPrefFileName(std::string path);

    // The panels, for what only they show.
    TTestFilePanel& FilesPanel() { return *FFiles; }
    TNamePanel& NamesPanel() { return *FNames; }
    TCommentPanel& CommentPanel() { return *FComment; }
    TDescriptionPanel& DescriptionPanel() { return *FDescription; }
    TPrefixPanel& PrefixPanel() { return *FPrefixes; }

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

    // Another program has changed the book file: read it again, or ask when something is unsaved.
    void BookChangedOnDisk();
    // Plays the unsaved steps onto the book file as another program saved it; true when merged.
    bool MergeBook();

protected:
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    bool FormCloseQuery();
    bool MaybeSaveChanges();
    void ReadSettings();
    bool WriteSettings();
    void OpenBook(const std::string& path);
    // Where the book dialogs open: the current book's folder, or the folder of the book opened last.
    QString BookFolder() const;
    void SetBookCaption(const std::string& path);
    bool MayReplaceAnothersChanges(const std::string& path);
    platform::MessageAnswer AskAboutAnothersChanges();
    struct TShown {
        std::string Path;
        int Occurrence = 0;
        std::string Name;
    };
    TShown Shown() const;
    void ShowAgain(const TShown& shown);
    void RereadBook();
    bool RestoreLeftBehind();
    bool Restore(const recovery::TJournal& journal);
    void JournalComment();
    static QString JoinLines(const std::vector<QString>& lines);
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

    // The open book, with the two service directories behind its tokens.
    TBook FBook;
    // The window's own fields; with the book's file and directories they mirror the settings store.
    std::string FPrefFileName;
    std::string SuffFileName;
    std::string DirQOR;
    TMainSettings FSettings;
    QPointer<TfmBookCheck> FBookCheck;
    // Where the recovery journals live, and the comment's way into them.
    QString FRecoveryFolder;
    QTimer FCommentJournal;
    // The change of the book file last asked about, and whether the question is open.
    QString FAskedAbout;
    bool FAskingAboutDisk = false;
    bool FJournalFailureTold = false;
};
