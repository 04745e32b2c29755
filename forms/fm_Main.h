// The main window: it owns the book model, the settings fields and every command of the editor.
#pragma once

#include <QMainWindow>
#include <QSet>

#include <memory>
#include <string>

#include "Sprav.h"

class QListWidget;
class QMenu;

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
    void RefreshFileList();

    // Path tokens with the window's directories.
    std::string ToTestsToken(const std::string& path) const;
    std::string ToDescToken(const std::string& path) const;
    std::string FromTestsToken(const std::string& path) const;
    std::string FromDescToken(const std::string& path) const;

    // The selection chain.
    void lbFilesClick();
    void RefreshNames(bool reselect);
    void lbNamesClick();
    void eNameChange();
    void UpdatePrefChecks();

    // Commands.
    void FileNew1Execute();
    void FileOpen1Execute();
    bool FileSave1Execute();  // true when the book was saved
    void FileExit1Execute();
    void acAddFileExecute();
    void acDeleteFileExecute();
    void bbAddSinonimClick();
    void bbEditSinonimClick();
    void acDeleteNameExecute();
    void N19Click();
    void HelpAbout1Execute();
    void acHelpExecute();

    // Adds test files as the add command does after its dialog; also the target of drops on lbFiles.
    void AddTestFiles(const QStringList& chosenPaths);

    // The book in memory and the window's own fields; the six strings mirror the settings store.
    TSprav Sprav;
    std::string SpravFileName;
    std::string PrefFileName;
    std::string SuffFileName;
    bool Modified = false;
    std::string DirQOR;
    std::string DirTests;
    std::string DirPDF;

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool FormCloseQuery();
    bool MaybeSaveChanges();
    void ReadSettings();
    void WriteSettings() const;
    void LoadPrefixFile(const std::string& path);
    void OpenBook(const std::string& path);
    void SetBookCaption(const std::string& path);
    void ReadyForNextName();

    void ConnectCommands();
    void BuildToolBar();
    void BuildPopupMenus();
    void SetGlyphs();

    int SelectedRow(const QListWidget* list) const;
    bool IsListedName(const QString& text) const;
    void SelectRow(QListWidget* list, int row);

    std::unique_ptr<Ui::TfmMain> ui;
    QMenu* pmFile = nullptr;
    QMenu* pmName = nullptr;
    QMenu* pmPref = nullptr;
    // Set while the program itself changes a list's selection, so that only the user's changes run the
    // click handlers; the program runs them explicitly where it wants them.
    int FSelectingFromCode = 0;
    // The rows of lbNames case-folded, rebuilt with the list: the typed name and every prefixed name are
    // looked up here on each keystroke instead of walking the list each time.
    QSet<QString> FListedNames;
};
