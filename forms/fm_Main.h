// The main window: it owns the book, the settings fields and the panels, runs the book, service and help
// commands, and reads the selection chain in one place.
#pragma once

#include <QMainWindow>
#include <QPointer>

#include <array>
#include <memory>
#include <string>
#include <utility>

#include "core/Sprav.h"
#include "forms/PanelHost.h"
#include "forms/SharedBook.h"

class TCommentPanel;
class TDescriptionPanel;
class TfmBookCheck;
class TNamePanel;
class TPrefixPanel;
class TTestFilePanel;

namespace Ui {
class TfmMain;
}

class TfmMain : public QMainWindow, public TPanelHost {
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
    void RefreshFileList() override;
    void lbFilesClick() override;
    void RefreshNames(bool reselect) override;
    void UpdatePrefChecks();
    void lbNamesClick() override;
    void eNameChange() override;

    // Makes the test file at `fileIndex` current as a click on its row does, then shows its analog at
    // `nameIndex` as a click on that row does: where the find dialog and the book check jump. A test-file
    // position out of range changes nothing; an analog position out of range selects no analog.
    void ShowAnalog(int fileIndex, int nameIndex);
    // Finds a chip across the whole book and jumps to the chosen analog.
    void acFindSinExecute();

    // Book, service and help commands.
    void FileNew1Execute();
    void FileOpen1Execute();
    bool FileSave1Execute();  // true when the book was saved
    void FileExit1Execute();
    void N19Click();
    void acCheckSpravExecute();
    void HelpAbout1Execute();
    void acHelpExecute();

    // TPanelHost
    TSprav& Sprav() override { return FSprav; }
    void SetModified() override;
    const std::string& DirTests() const override { return FDirTests; }
    const std::string& DirPDF() const override { return FDirPDF; }
    void ShowBook() override;
    QString TypedName() const override;
    QString DescriptionText() const override;
    int FindListedName(const QString& name) const override;
    int SelectedNameRow() const override;
    void ShowPrefixPanel() override;
    void PrefixPanelShown(bool shown) override;
    const std::string& PrefixFileName() const override { return PrefFileName; }
    const std::string& BookFileName() const override { return SpravFileName; }
    void SetPrefixFileName(std::string path) override { PrefFileName = std::move(path); }

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    friend class TfmMainProbe;  // tests read the window's fields through it

    struct SettingValue {
        const char* Key;
        const char* Name;
        std::string* Field;
    };
    // The six settings: three in the editor's own key, three in the key shared with the tester programs.
    std::array<SettingValue, 6> SettingValues();

    bool FormCloseQuery();
    bool MaybeSaveChanges();
    void ReadSettings();
    bool WriteSettings();
    void OpenBook(const std::string& path);
    void SetBookCaption(const std::string& path);
    void ConnectCommands();
    void BuildToolBar();
    void SetGlyphs();
    void SetTabOrder();
    // Tells an open check report that its rows may point at other entries now.
    void BookChanged();
    void PlaceReport(QWidget& report) const;

    std::unique_ptr<Ui::TfmMain> ui;
    TTestFilePanel* FFiles = nullptr;
    TNamePanel* FNames = nullptr;
    TCommentPanel* FComment = nullptr;
    TDescriptionPanel* FDescription = nullptr;
    TPrefixPanel* FPrefixes = nullptr;

    // The book in memory and the window's own fields; the six strings mirror the settings store.
    TSprav FSprav;
    std::string SpravFileName;
    std::string PrefFileName;
    std::string SuffFileName;
    bool Modified = false;
    std::string DirQOR;
    std::string FDirTests;
    std::string FDirPDF;
    // After New the book has no file; its save dialog still opens where the previous book lay.
    std::string FNewBookFolder;
    // The six values as read at start-up, so that a value another program stored in another form is left
    // alone unless the editor changed it.
    std::string FStartValues[6];
    // The settings store could not be read at start-up (its file is a pipe, a device, too large...): the
    // user was told, the editor runs with empty settings, and nothing is written over that store at close.
    bool FSettingsUnread = false;
    // What the book file was when last read or written, to ask before replacing another's changes.
    TSharedBook FSharedBook;
    QPointer<TfmBookCheck> FBookCheck;
};
