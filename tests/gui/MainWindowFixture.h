// Drives the real main window offscreen: its settings store on a temporary INI file, its boxes and file
// dialogs scripted, its files real files in a temporary folder.
#pragma once

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <map>
#include <memory>
#include <string>

#include "forms/fm_Main.h"
#include "tests/gui/GuiTestSupport.h"
#include "tests/support/ScriptedDesktop.h"

namespace gui_test {

using platform::MessageAnswer;
using platform::MessageButtons;
using platform::MessageIcon;
using test_support::DesktopCall;

inline const QString kCaption = QStringLiteral("Редактор справочников");

// UTF-8 source text as the Windows-1251 bytes the book holds.
std::string Cp(const char* utf8);

// Text written with "/" between folders, as the system writes paths: with "\" on Windows, where users'
// books hold that.
QString Native(const QString& text);
std::string Native(std::string bytes);

std::string ReadBytes(const QString& path);
void WriteBytes(const QString& path, const std::string& bytes);

// The rows of a list as shown, its number of rows, its selected row (-1: none).
QStringList Rows(const QAbstractItemView* list);
int Count(const QAbstractItemView* list);
int SelectedRow(const QAbstractItemView* list);
// Selects a row as a click or an arrow key does, the handlers included (-1: none).
void SetCurrentRow(QAbstractItemView* list, int row);
// Where a row shows in the list's viewport.
QRect RowRect(const QAbstractItemView* list, int row);

// Types text key by key as a keyboard would, Cyrillic letters included.
void TypeText(QWidget* widget, const QString& text);

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Writes one value to the settings store before the window starts.
    void SetSetting(const char* key, const char* name, const std::string& value);
    std::string Setting(const char* key, const char* name) const;
    bool SettingsHaveKey(const char* key) const;
    // The settings with the tests directory set, so that start-up asks nothing.
    void SetDirectories(const std::string& tests, const std::string& desc = {});

    TfmMain& Start(const QString& commandLineBook = {});
    // Ends the window as the program ends (its journal removed), without asking anything.
    void Stop();
    // Ends the window as a crash would (no close, the journal left behind) and starts the editor again.
    TfmMain& StartAfterCrash(const QString& commandLineBook = {});
    // Closes the window through its close query; true when it closed.
    bool CloseWindow();

    // A path inside the temporary folder, as text and as the book stores it.
    QString PathOf(const QString& name) const;
    std::string Stored(const QString& name) const;
    // Creates an (empty) file in the temporary folder and gives its path.
    QString MakeFile(const QString& name, const std::string& bytes = {});

    template <class T>
    T* Find(const char* name) const {
        T* widget = window->findChild<T*>(QLatin1String(name));
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }
    QListView* lbFiles() const { return Find<QListView>("lbFiles"); }
    QListView* lbNames() const { return Find<QListView>("lbNames"); }
    QLineEdit* eName() const { return Find<QLineEdit>("eName"); }
    QLineEdit* edFileInfo() const { return Find<QLineEdit>("edFileInfo"); }
    QWidget* pMain() const { return Find<QWidget>("pMain"); }
    QAction* Action(const char* name) const { return Find<QAction>(name); }
    QPushButton* Button(const char* name) const { return Find<QPushButton>(name); }

    // The caption a loaded or saved book gives the window.
    QString BookCaption(const QString& path) const;

    // Adds test files through the add command, answering its dialog with `paths` and the duplicate
    // questions that follow with `answers`.
    void AddFiles(const QStringList& paths, std::initializer_list<MessageAnswer> answers = {});
    // Puts a test file into the book through the document, as a chosen file is added.
    void AddTestFile(const std::string& path);
    // Types a chip name and adds it with the add button.
    void AddName(const QString& name);

    QTemporaryDir folder;
    std::unique_ptr<test_support::ScriptedDesktop> desktop;
    std::unique_ptr<TfmMain> window;
};

}  // namespace gui_test
