#include "forms/fm_Main.h"
#include "forms/Glyphs.h"

#include <QAbstractButton>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QScreen>
#include <QStyle>
#include <QStatusBar>
#include <QTimer>
#include <QToolButton>

#include <algorithm>
#include <utility>

#include "core/PathTokens.h"
#include "forms/CommentPanel.h"
#include "document/BookTexts.h"
#include "forms/CsvExportCommand.h"
#include "forms/DescriptionPanel.h"
#include "forms/FormMessages.h"
#include "forms/NamePanel.h"
#include "forms/PrefixPanel.h"
#include "forms/RecentBooks.h"
#include "forms/TestFilePanel.h"
#include "forms/fm_BookCheck.h"
#include "forms/fm_Dir.h"
#include "forms/fm_VvodSinonim.h"
#include "forms/fm_about.h"
#include "platform/HelpFile.h"
#include "platform/Paths.h"
#include "platform/Settings.h"
#include "platform/Shell.h"
#include "platform/Text.h"
#include "platform/VersionReader.h"
#include "ui_fm_Main.h"

using forms::Ask;
using forms::Inform;
using forms::kMessageCaption;
using platform::FromCp1251;
using platform::MessageAnswer;
using platform::MessageButtons;
using platform::MessageIcon;

namespace {

const QString kSpravFilter = QStringLiteral("Справочники|*.spr;*.lib|Все файлы|*.*");
const QString kSpravExtension = QStringLiteral("spr");

platform::FileDialogOptions SpravDialogOptions() {
    platform::FileDialogOptions options;
    options.Filter = kSpravFilter;
    options.DefaultExtension = kSpravExtension;
    return options;
}

}  // namespace

TfmMain::TfmMain(QWidget* parent) : QMainWindow(parent), ui(std::make_unique<Ui::TfmMain>()) {
    ui->setupUi(this);
    FFiles = ui->pTestFiles;
    FNames = ui->pNames;
    FComment = ui->pTestInfo;
    FDescription = ui->pInfoFile;
    FPrefixes = ui->paPref;
    FRecent = new TRecentBooks(*ui->mnFile, ui->FileExit1, this);
    FFiles->SetBook(FBook);
    FNames->SetBook(FBook);
    FComment->SetBook(FBook);
    FDescription->SetBook(FBook);
    FPrefixes->SetBook(FBook);

    BuildToolBar();
    SetGlyphs();
    ConnectCommands();
    ConnectPanels();
    ConnectHistory();
    SetTabOrder();

    ui->Splitter2->setStretchFactor(0, 1);
    ui->Splitter2->setStretchFactor(1, 0);
}

TfmMain::~TfmMain() = default;

// ---------------------------------------------------------------------------------------------------------
// Layout pieces that Designer cannot express: named tool buttons, glyphs, the tab order across panels.

void TfmMain::BuildToolBar() {
    auto addButton = [this](const char* name, QAction* action, bool visible = true) {
        auto* button = new QToolButton(ui->ToolBar1);
        button->setObjectName(QLatin1String(name));
        button->setDefaultAction(action);
        button->setAutoRaise(true);
        ui->ToolBar1->addWidget(button)->setVisible(visible);
    };
    addButton("tbNewSprav", ui->FileNew1);
    addButton("tbLoadSprav", ui->FileOpen1);
    addButton("tbSaveSprav", ui->FileSave1);
    ui->ToolBar1->addSeparator();
    addButton("tbAddFiles", ui->acAddFile);
    addButton("tbDeleteFiles", ui->acDeleteFile);
    addButton("tbDeleteName", ui->acDeleteName, false);
    addButton("tbAddName", ui->acAddName, false);
    addButton("btnFindSin", ui->acFindSin);
    ui->ToolBar1->addSeparator();
    addButton("tbUndo", ui->acUndo);
    addButton("tbRedo", ui->acRedo);

    // The clipboard actions work through their shortcuts only.
    addActions({ui->EditCut1, ui->EditCopy1, ui->EditPaste1});
}

void TfmMain::SetGlyphs() {
    ui->FileNew1->setIcon(Glyph(QStyle::SP_FileIcon));
    ui->FileOpen1->setIcon(Glyph(QStyle::SP_DialogOpenButton));
    ui->FileSave1->setIcon(Glyph(QStyle::SP_DialogSaveButton));
    ui->FileSaveAs1->setIcon(Glyph(QStyle::SP_DialogSaveButton));
    ui->acAddFile->setIcon(Glyph(QStyle::SP_FileDialogNewFolder));
    ui->acDeleteFile->setIcon(Glyph(QStyle::SP_TrashIcon));
    ui->acDeleteName->setIcon(Glyph(QStyle::SP_DialogDiscardButton));
    ui->acAddName->setIcon(Glyph(QStyle::SP_FileDialogNewFolder));
    ui->acFindSin->setIcon(Glyph(QStyle::SP_FileDialogContentsView));
    ui->acUndo->setIcon(Glyph(QStringLiteral("edit-undo"), QStyle::SP_ArrowBack));
    ui->acRedo->setIcon(
        Glyph(QStringLiteral("edit-redo"), QStyle::SP_ArrowForward));
    ui->HelpAbout1->setIcon(Glyph(QStyle::SP_MessageBoxInformation));
    ui->acHelp->setIcon(Glyph(QStyle::SP_DialogHelpButton));
}

// Lists first, then the name field and its buttons, then the description and comment panels.
void TfmMain::SetTabOrder() {
    const char* order[] = {"lbFiles",      "lbNames",    "eName",      "bbAddSinonim",   "bbEditSinonim",
                           "bbDelSinonim", "bbRight",    "edFileInfo", "bbLoadFileInfo", "bbSeeFileInfo",
                           "mmTestInfo",   "bbSavePrim", "clbPref"};
    QWidget* previous = nullptr;
    for (const char* name : order) {
        QWidget* next = findChild<QWidget*>(QLatin1String(name));
        if (previous != nullptr && next != nullptr) {
            setTabOrder(previous, next);
        }
        previous = next != nullptr ? next : previous;
    }
}

void TfmMain::ConnectCommands() {
    connect(ui->FileNew1, &QAction::triggered, this, &TfmMain::FileNew1Execute);
    connect(ui->FileOpen1, &QAction::triggered, this, &TfmMain::FileOpen1Execute);
    connect(ui->FileSave1, &QAction::triggered, this, &TfmMain::FileSave1Execute);
    connect(ui->FileSaveAs1, &QAction::triggered, this, &TfmMain::FileSave1Execute);
    connect(ui->acExportCsv, &QAction::triggered, this, &TfmMain::acExportCsvExecute);
    connect(ui->FileExit1, &QAction::triggered, this, &TfmMain::FileExit1Execute);
    connect(FRecent, &TRecentBooks::Chosen, this, &TfmMain::OpenRecentBook);
    connect(ui->acAddFile, &QAction::triggered, FFiles, &TTestFilePanel::acAddFileExecute);
    connect(ui->acDeleteFile, &QAction::triggered, FFiles, &TTestFilePanel::acDeleteFileExecute);
    connect(ui->acAddName, &QAction::triggered, FNames, &TNamePanel::bbAddSinonimClick);
    connect(ui->acDeleteName, &QAction::triggered, FNames, &TNamePanel::acDeleteNameExecute);
    connect(ui->acFindSin, &QAction::triggered, this, &TfmMain::acFindSinExecute);
    connect(ui->N19, &QAction::triggered, this, &TfmMain::N19Click);
    connect(ui->acCheckSprav, &QAction::triggered, this, &TfmMain::acCheckSpravExecute);
    connect(ui->HelpAbout1, &QAction::triggered, this, &TfmMain::HelpAbout1Execute);
    connect(ui->acHelp, &QAction::triggered, this, &TfmMain::acHelpExecute);

    auto onFocused = [](auto method) {
        return [method] {
            QWidget* focused = QApplication::focusWidget();
            if (auto* edit = qobject_cast<QLineEdit*>(focused)) {
                (edit->*method.first)();
            } else if (auto* editor = qobject_cast<QPlainTextEdit*>(focused)) {
                (editor->*method.second)();
            }
        };
    };
    connect(ui->EditCut1, &QAction::triggered, this,
            onFocused(std::pair{&QLineEdit::cut, &QPlainTextEdit::cut}));
    connect(ui->EditCopy1, &QAction::triggered, this,
            onFocused(std::pair{&QLineEdit::copy, &QPlainTextEdit::copy}));
    connect(ui->EditPaste1, &QAction::triggered, this,
            onFocused(std::pair{&QLineEdit::paste, &QPlainTextEdit::paste}));
}

// The panels say what happened; the window answers with the step of the chain that follows. This is the
// only place where what one panel does reaches another.
void TfmMain::ConnectPanels() {
    // The comment panel guards the files in use against a comment saved over them.
    connect(&FBook, &TBook::SpravFileNameChanged, this,
            [this](const std::string& path) { FComment->SetFilesInUse(path, FPrefFileName); });

    // The selection chain: the user's clicks, and the commands that changed the lists.
    connect(FFiles, &TTestFilePanel::RowClicked, this, &TfmMain::lbFilesClick);
    connect(FFiles, &TTestFilePanel::FilesAdded, this, &TfmMain::ShowBook);
    connect(FFiles, &TTestFilePanel::FilesChanged, this, &TfmMain::RefreshFileList);
    connect(FNames, &TNamePanel::RowClicked, this, &TfmMain::lbNamesClick);
    connect(FNames, &TNamePanel::NamesChanged, this, [this] { RefreshNames(true); });
    connect(FNames, &TNamePanel::TypedNameChanged, this, &TfmMain::eNameChange);
    connect(FPrefixes, &TPrefixPanel::NamesGenerated, this, [this] { RefreshNames(false); });
    // The description path goes with the typed name: a name added takes it, and the buttons follow both.
    connect(FDescription, &TDescriptionPanel::TextChanged, this, [this](const QString& shown) {
        FNames->SetDescriptionText(shown);
        eNameChange();
    });
    connect(FNames, &TNamePanel::DescriptionTextKept, FDescription, &TDescriptionPanel::ShowPath);
    connect(FDescription, &TDescriptionPanel::FileChosen, this, [this](const std::string& path) {
        if (FNames->TakeDescriptionFile(path)) {
            FDescription->ShowStoredPath(path);
        }
    });

    // The prefix panel opens from the name strip, whose button hides while the panel shows.
    connect(FNames, &TNamePanel::PrefixPanelRequested, FPrefixes, &TPrefixPanel::bbRightClick);
    connect(FPrefixes, &TPrefixPanel::Shown, this, &TfmMain::PrefixPanelShown);
    connect(FPrefixes, &TPrefixPanel::PrefixFileChosen, this, &TfmMain::SetPrefFileName);

    // Another program's save of the book, and the comment being typed, for the journal.
    connect(&FBook, &TBook::ChangedOnDisk, this, &TfmMain::BookChangedOnDisk);
    FCommentJournal.setSingleShot(true);
    FCommentJournal.setInterval(2000);
    connect(&FCommentJournal, &QTimer::timeout, this, &TfmMain::JournalComment);
    // A journal that cannot be written leaves the work unprotected: the user hears of it once, after the
    // command that found it out.
    connect(&FBook.History(), &TBookHistory::StepsChanged, this, [this] {
        if (!FJournalFailureTold && FBook.Journal() != nullptr && FBook.Journal()->Failed()) {
            FJournalFailureTold = true;
            QTimer::singleShot(0, this, [this] {
                Inform(QStringLiteral("Не удаётся вести журнал восстановления в папке %1: если редактор будет "
                                      "закрыт аварийно, несохранённые изменения пропадут. Сохраняйте справочник "
                                      "почаще.")
                           .arg(QDir::toNativeSeparators(FRecoveryFolder)));
            });
        }
    });
    connect(FComment, &TCommentPanel::TextChanged, &FCommentJournal, qOverload<>(&QTimer::start));

    // An open check report learns that its rows may point at other entries now.
    connect(&FBook, &TBook::Changed, this, [this] {
        if (FBookCheck != nullptr) {
            FBookCheck->BookChanged();
        }
    });
}

// The undo and redo commands name the step they would take back or make again. A line edit or the comment
// editor with the focus keeps Ctrl+Z for its own text: Qt gives a focused editor the keys it edits with
// before any shortcut of the window.
void TfmMain::ConnectHistory() {
    TBookHistory& history = FBook.History();
    ui->acUndo->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_Z)});
    ui->acRedo->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)});
    connect(ui->acUndo, &QAction::triggered, this, &TfmMain::acUndoExecute);
    connect(ui->acRedo, &QAction::triggered, this, &TfmMain::acRedoExecute);
    const auto name = [](QAction* action, const QString& command, const QString& step, const QString& idle) {
        const QString named = step.isEmpty() ? command : QStringLiteral("%1: %2").arg(command, step);
        // A chip name may hold "&", which a menu would take for the mark of the item's key.
        action->setText(QString(named).replace(QLatin1Char('&'), QLatin1String("&&")));
        action->setStatusTip(step.isEmpty() ? idle : named);
    };
    const QString undoIdle = ui->acUndo->statusTip();
    const QString redoIdle = ui->acRedo->statusTip();
    const auto follow = [this, &history, name, undoIdle, redoIdle] {
        ui->acUndo->setEnabled(history.CanUndo());
        ui->acRedo->setEnabled(history.CanRedo());
        name(ui->acUndo, QStringLiteral("Отменить"), history.UndoText(), undoIdle);
        name(ui->acRedo, QStringLiteral("Повторить"), history.RedoText(), redoIdle);
    };
    connect(&history, &TBookHistory::StepsChanged, this, follow);
    follow();
    connect(&history, &TBookHistory::Applied, this, &TfmMain::ShowUndoneChange);
}

// The add button is the window's default button: Enter adds the typed name from any control that has no
// Enter of its own. A focused button is pressed instead, and the comment editor takes Enter as a line break
// before it reaches the window.
void TfmMain::keyPressEvent(QKeyEvent* event) {
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (!enter || (event->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier) {
        QMainWindow::keyPressEvent(event);
        return;
    }
    if (auto* button = qobject_cast<QAbstractButton*>(QApplication::focusWidget())) {
        button->click();
    } else if (ui->pMain->isVisible()) {
        FNames->PressDefaultButton();
    }
    event->accept();
}

// ---------------------------------------------------------------------------------------------------------
// Start-up, settings and close.

void TfmMain::FormCreate(const QString& bookFromCommandLine) {
    platform::SetApplicationTitle(FromCp1251(VersionDescription()));
    // Every step is kept in a journal of its own until the book is saved (QOR_SPRAV_RECOVERY names another
    // folder for it).
    FRecoveryFolder = qEnvironmentVariableIsSet("QOR_SPRAV_RECOVERY")
                          ? qEnvironmentVariable("QOR_SPRAV_RECOVERY")
                          : recovery::DefaultFolder();
    FBook.EnableRecovery(FRecoveryFolder);
    ui->Splitter2->setSizes({std::max(width() - 250, 200), 250});
    ReadSettings();

    if (FBook.DirTests().empty()) {
        const MessageAnswer answer =
            Ask(QStringLiteral("Системный путь к файлам тестов не задан. Хотите задать его сейчас?"),
                kMessageCaption, MessageIcon::Question, MessageButtons::YesNo);
        std::string tests = FBook.DirTests();
        std::string pdf = FBook.DirPDF();
        if (answer == MessageAnswer::Yes && !RunDirDialog(this, tests, pdf)) {
            Inform(QStringLiteral(
                "Пути не были заданы. Задание путей необходимо для работы стандартных файлов справочников."));
        }
        FBook.SetDirectories(tests, pdf);
    }

    ClearSprav();
    ui->pMain->hide();

    FPrefixes->SetPrefixFileName(FPrefFileName);
    if (platform::FileExists(FPrefFileName)) {
        FPrefixes->LoadPrefixFile(FPrefFileName);
    }

    if (RestoreLeftBehind()) {
        return;
    }

    if (!bookFromCommandLine.isEmpty()) {
        const std::optional<std::string> stored =
            forms::TakeChosenPath(platform::AbsoluteNativePath(bookFromCommandLine));
        if (!stored) {
            return;
        }
        if (!platform::FileExists(*stored)) {
            Inform(document::BookNotOpenedText(*stored));
            return;
        }
        OpenBook(*stored);
        return;
    }

    if (platform::FileExists(SpravFileName())) {
        LoadSprav(SpravFileName());
        // The remembered book counts as opened: it is the one the user worked on last, so the list's top and
        // the book in the window agree, also when the list was lost or kept by a version without one.
        if (!SpravFileName().empty()) {
            FRecent->Add(SpravFileName());
        }
        ui->pMain->show();
        RefreshNames(true);
    }
}

void TfmMain::ReadSettings() {
    const TSettingValues values = FSettings.Read();
    if (!FSettings.Notice().isEmpty()) {
        Inform(FSettings.Notice());
    }
    FBook.SetSpravFileName(values.FileName);
    SetPrefFileName(values.FilePreff);
    SuffFileName = values.FileSuff;
    DirQOR = values.DirQOR;
    FBook.SetDirectories(values.DirTests, values.DirPDF);
    FRecent->SetSlots(values.Recent);
}

bool TfmMain::WriteSettings() {
    return FSettings.Write({SpravFileName(), FPrefFileName, SuffFileName, DirQOR, FBook.DirTests(),
                            FBook.DirPDF(), FRecent->GetSlots()});
}

void TfmMain::closeEvent(QCloseEvent* event) {
    if (!FormCloseQuery()) {
        event->ignore();
        return;
    }
    // Nothing unsaved is left that the user wants: the journal goes.
    FBook.DiscardJournal();
    if (!WriteSettings()) {
        Ask(QStringLiteral("Не удалось сохранить настройки программы (последний справочник, файл префиксов, "
                           "служебные директории). При следующем запуске будут использованы прежние."),
            kMessageCaption, MessageIcon::Warning, MessageButtons::Ok);
    }
    event->accept();
}

bool TfmMain::FormCloseQuery() {
    return FComment->MaybeSaveComment(true) && MaybeSaveChanges();
}

// Asks about unsaved changes. Yes goes on only once the book is saved; No drops the changes; Cancel stops.
bool TfmMain::MaybeSaveChanges() {
    if (!Modified()) {
        return true;
    }
    switch (Ask(QStringLiteral("Сохранить изменение в файле?"), kMessageCaption, MessageIcon::Question,
                MessageButtons::YesNoCancel)) {
        case MessageAnswer::Yes:
            return FileSave1Execute();
        case MessageAnswer::No:
            return true;
        default:
            return false;
    }
}

// ---------------------------------------------------------------------------------------------------------
// Book commands.

void TfmMain::SetBookCaption(const std::string& path) {
    setWindowTitle(platform::ApplicationTitle() + QStringLiteral(" - ") + platform::ToDisplayPath(path));
}

void TfmMain::ClearSprav() {
    FComment->ForgetTestFile();
    // The lists first, then the name: the prefix marks are worked out against the empty book. They are
    // worked out again even when the name was empty already, for then no change of the field would.
    FBook.Clear();
    FNames->ClearTypedName();
    eNameChange();
    ui->pMain->show();
}

void TfmMain::ShowBook() {
    ui->pMain->show();
}

void TfmMain::FileNew1Execute() {
    if (!FComment->MaybeSaveComment(true) || !MaybeSaveChanges()) {
        return;
    }
    ClearSprav();
    FBook.New();
    setWindowTitle(platform::ApplicationTitle());
}

void TfmMain::FileOpen1Execute() {
    if (!FComment->MaybeSaveComment(true) || !MaybeSaveChanges()) {
        return;
    }
    platform::FileDialogOptions options = SpravDialogOptions();
    options.InitialDir = BookFolder();
    const std::optional<std::string> path = forms::ChoosePathToOpen(this, options);
    if (!path || !platform::FileExists(*path)) {
        return;
    }
    OpenBook(*path);
}

// A book that is gone is said before any question about the current one, and again should it go while the
// question was open; the list loses it either way.
void TfmMain::OpenRecentBook(const std::string& path) {
    if (FRecent->DropIfGone(path) || !FComment->MaybeSaveComment(true) || !MaybeSaveChanges() ||
        FRecent->DropIfGone(path)) {
        return;
    }
    OpenBook(path);
}

// A book that could not be read leaves no current book: the list of books opened knows the last one.
QString TfmMain::BookFolder() const {
    const std::string book = SpravFileName().empty() ? FRecent->GetSlots().front() : SpravFileName();
    return book.empty() ? QString() : platform::ToOsPathText(platform::ExtractFileDir(book));
}

void TfmMain::OpenBook(const std::string& path) {
    FBook.SetSpravFileName(path);
    ClearSprav();
    LoadSprav(path);
    if (!SpravFileName().empty()) {  // a book that could not be read joins no list
        FRecent->Add(SpravFileName());
    }
    ui->pMain->show();
    RefreshNames(true);
}

bool TfmMain::FileSave1Execute() {
    platform::FileDialogOptions options = SpravDialogOptions();
    options.InitialDir = BookFolder();
    if (!FBook.IsNew() && !SpravFileName().empty()) {
        // The current book's name is proposed, so that saving it again is one confirmation away.
        options.FileName =
            platform::ToDisplayPath(SpravFileName().substr(platform::ExtractFilePath(SpravFileName()).size()));
    }
    const std::optional<std::string> path = forms::ChoosePathToSave(this, options);
    if (!path) {
        return false;
    }
    if (!forms::MayReplaceExisting(*path) || !MayReplaceAnothersChanges(*path)) {
        return false;
    }
    if (!SaveSprav(*path)) {
        return false;
    }
    SetBookCaption(SpravFileName());
    FRecent->Add(SpravFileName());
    return true;
}

// Books lie on shared folders: a book file another program changed since it was read or saved here is
// replaced only when the user says so; "Объединить" plays this editor's steps onto it instead, and the
// merged book waits, unsaved, to be looked at and saved.
bool TfmMain::MayReplaceAnothersChanges(const std::string& path) {
    if (!FBook.ChangedByAnother(path)) {
        return true;
    }
    switch (AskAboutAnothersChanges()) {
        case MessageAnswer::Yes:
            MergeBook();
            return false;
        case MessageAnswer::No:
            return true;
        default:
            return false;
    }
}

MessageAnswer TfmMain::AskAboutAnothersChanges() {
    FAskingAboutDisk = true;
    const MessageAnswer answer = Ask(
        QStringLiteral("Справочник «%1» изменён другой программой, а в редакторе есть несохранённые изменения.")
            .arg(platform::ToDisplayPath(SpravFileName())),
        kMessageCaption, MessageIcon::Warning, MessageButtons::MergeReplaceCancel);
    FAskingAboutDisk = false;
    return answer;
}

// What is shown, to be shown again in a book read anew: the test file by its path, the analog by its name.
TfmMain::TShown TfmMain::Shown() const {
    TShown shown;
    if (const TSpravFile* file = FBook.CurrentFile()) {
        shown.Path = file->Path;
        shown.Occurrence = FBook.OccurrenceOf(FBook.CurrentFileIndex());
        if (const TSpravSinonim* name = FBook.Sprav().GetSinonim(file, FBook.CurrentNameIndex())) {
            shown.Name = name->Name;
        }
    }
    return shown;
}

// Shows the test file and analog again where they still are. The comment being typed stays in its editor:
// it still belongs to the comment file it was read from.
void TfmMain::ShowAgain(const TShown& shown) {
    ui->pMain->show();
    const int file = shown.Path.empty() ? -1 : FBook.FindTestFile(shown.Path, shown.Occurrence, true);
    if (file < 0) {
        RefreshFileList();
        return;
    }
    FFiles->SelectRow(file);
    FBook.SetCurrentFile(file);
    FNames->ClearTypedName();
    FDescription->Clear();
    if (!FComment->HasUnsavedText()) {
        FComment->LoadTestComment();
    }
    const auto& names = FBook.Sprav().Files[static_cast<std::size_t>(file)]->Sinonims;
    const auto found = std::find_if(names.begin(), names.end(), [&](const auto& name) { return name->Name == shown.Name; });
    FBook.SetCurrentName(found == names.end() ? -1 : static_cast<int>(found - names.begin()));
    RefreshNames(true);
}

// Nothing unsaved: the book another program saved is read at once. A file that cannot be read (still being
// written) is left alone until its next change.
void TfmMain::RereadBook() {
    const TShown shown = Shown();
    if (!FBook.Reread()) {
        return;
    }
    ShowAgain(shown);
    JournalComment();
    statusBar()->showMessage(QStringLiteral("Справочник перечитан: его изменила другая программа."));
}

bool TfmMain::MergeBook() {
    const std::optional<std::vector<TBookHistory::Move>> moves = FBook.UnsavedMoves();
    if (!moves) {
        Inform(QStringLiteral("Объединить справочники нельзя: журнал несохранённых изменений недоступен (%1). "
                              "Сохраните справочник под другим именем.")
                   .arg(QDir::toNativeSeparators(FRecoveryFolder)));
        return false;
    }
    const TShown shown = Shown();
    const TBookMerge merge = FBook.MergeWithFile(*moves);
    if (!merge.Ok) {
        Inform(merge.Failure + QStringLiteral("\nСправочник в редакторе не изменён."));
        return false;
    }
    ShowAgain(shown);
    JournalComment();
    if (!merge.Skipped.empty()) {
        Inform(QStringLiteral("Справочник объединён с изменениями другой программы. Не удалось повторить:\n") +
               JoinLines(merge.Skipped));
    }
    return true;
}

void TfmMain::BookChangedOnDisk() {
    // Not while a command runs or waits for an answer: the window's activation and the watch come back to
    // it afterwards.
    if (FAskingAboutDisk || FBook.History().InStep() || QApplication::activeModalWidget() != nullptr ||
        FBook.IsNew() || SpravFileName().empty() || !FBook.ChangedByAnother(SpravFileName())) {
        return;
    }
    if (!Modified()) {
        RereadBook();
        return;
    }
    // One question for one change of the file, however often the file and the window say so.
    const QFileInfo file(platform::ToOsPathText(SpravFileName()));
    const QString seen = QStringLiteral("%1 %2").arg(file.size()).arg(file.lastModified().toMSecsSinceEpoch());
    if (seen == FAskedAbout) {
        return;
    }
    FAskedAbout = seen;
    switch (AskAboutAnothersChanges()) {
        case MessageAnswer::Yes:
            MergeBook();
            break;
        case MessageAnswer::No:
            if (SaveSprav(SpravFileName())) {
                SetBookCaption(SpravFileName());
            }
            break;
        default:
            break;
    }
}

// The book file is looked at again whenever the window becomes active: a watch may miss a change made on
// another machine's share.
void TfmMain::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow()) {
        QTimer::singleShot(0, this, &TfmMain::BookChangedOnDisk);
    }
}

// ---------------------------------------------------------------------------------------------------------
// Work left behind by an editor that ended without closing.

QString TfmMain::JoinLines(const std::vector<QString>& lines) {
    QStringList list;
    for (const QString& line : lines) {
        list.append(line);
    }
    return list.join(QLatin1Char('\n'));
}

bool TfmMain::RestoreLeftBehind() {
    for (const recovery::TLeftBehind& left : recovery::FindLeftBehind(FRecoveryFolder)) {
        if (!left.Journal) {
            const QString aside = recovery::SetAside(left.Path);
            Inform(QStringLiteral("Файл восстановления %1 не является журналом редактора и не будет прочитан. "
                                  "Он отложен под именем %2.")
                       .arg(QDir::toNativeSeparators(left.Path), QDir::toNativeSeparators(aside)));
            continue;
        }
        const recovery::TJournal& journal = *left.Journal;
        if (journal.Moves.empty() && !journal.Comment) {
            recovery::RemoveLeftBehind(left.Path);
            continue;
        }
        const QString book = journal.BookPath.empty() ? QStringLiteral("(новый, ещё не сохранённый)")
                                                      : platform::ToDisplayPath(journal.BookPath);
        if (Ask(QStringLiteral("Редактор был закрыт аварийно. Восстановить несохранённые изменения справочника "
                               "«%1»?")
                    .arg(book),
                kMessageCaption, MessageIcon::Question, MessageButtons::YesNo) != MessageAnswer::Yes) {
            recovery::RemoveLeftBehind(left.Path);
            continue;
        }
        if (!Restore(journal)) {
            // The journal stays for the next start: nothing of it is lost while its book cannot be read.
            Inform(QStringLiteral("Справочник %1 сейчас не читается, и изменения не восстановлены. Редактор "
                                  "предложит восстановить их при следующем запуске.")
                       .arg(platform::ToDisplayPath(journal.BookPath)));
            return false;
        }
        recovery::RemoveLeftBehind(left.Path);
        return true;
    }
    return false;
}

// The book as it is on disk now, with the journal's steps played onto it as a merge plays them, unsaved;
// the comment back in its editor.
bool TfmMain::Restore(const recovery::TJournal& journal) {
    if (!journal.BookPath.empty() && platform::FileExists(journal.BookPath)) {
        OpenBook(journal.BookPath);
        if (SpravFileName().empty()) {
            return false;
        }
    } else {
        if (!journal.BookPath.empty()) {
            Inform(document::BookNotOpenedText(journal.BookPath) +
                   QStringLiteral("\nИзменения будут восстановлены в новом справочнике."));
        }
        ClearSprav();
        FBook.New();
        setWindowTitle(platform::ApplicationTitle());
    }
    // The book file as the journal began on it: the steps go exactly where they were made.
    const FileStamp& disk = FBook.DiskStamp();
    const bool unchanged = journal.BookPath.empty() ? FBook.Sprav().Files.empty()
                                                    : disk.Known && disk.Size == journal.BookSize &&
                                                          disk.Hash == journal.BookHash;
    const std::vector<QString> skipped = FBook.Replay(journal.Moves, unchanged);
    FBook.SetModified(FBook.History().CanUndo() || !skipped.empty());
    RefreshFileList();
    if (journal.Comment) {
        const int file = FBook.FindTestFile(journal.Comment->TestPath, journal.Comment->Occurrence);
        if (file >= 0) {
            ShowAnalog(file, -1);
            if (FBook.CurrentFileIndex() == file) {
                FComment->RestoreText(FromCp1251(journal.Comment->Text));
                JournalComment();
            }
        }
    }
    if (!skipped.empty()) {
        Inform(QStringLiteral("Не все несохранённые изменения удалось восстановить. Не удалось повторить:\n") +
               JoinLines(skipped));
    }
    return true;
}

// The comment being typed reaches the journal two seconds after the last keystroke.
// The comment is journaled with the test file it was read for, which a failed save keeps while the
// selection moves on.
void TfmMain::JournalComment() {
    const auto& file = FComment->LoadedFor();
    const std::optional<std::string> text = platform::ToCp1251(FComment->Text());
    if (!FComment->HasUnsavedText() || !file || !text) {
        FBook.SetUnsavedComment(std::nullopt);
        return;
    }
    FBook.SetUnsavedComment(recovery::TComment{file->first, file->second, *text});
}

// The book as it is in the window, saved or not; the export changes neither the book nor its file.
void TfmMain::acExportCsvExecute() {
    forms::ExportCsv(this, FBook);
}

void TfmMain::FileExit1Execute() {
    close();
}

void TfmMain::LoadSprav(std::string path) {
    SetBookCaption(path);
    const TBookLoad load = FBook.Load(path);
    if (!load.Ok) {
        Inform(load.Failure);
        return;
    }
    RefreshFileList();
    if (!load.Notice.isEmpty()) {
        Inform(load.Notice);
    }
}

// Writes the book; a failure is shown with the file's name and its reason, and nothing else changes.
bool TfmMain::SaveSprav(const std::string& path) {
    const QString failure = FBook.Save(path);
    if (failure.isEmpty()) {
        JournalComment();  // the saved book's new journal keeps the comment still being typed
        return true;
    }
    Ask(failure, kMessageCaption, MessageIcon::Warning, MessageButtons::Ok);
    return false;
}

std::string TfmMain::ToTestsToken(const std::string& path) const {
    return ::ToTestsToken(path, FBook.DirTests());
}
std::string TfmMain::ToDescToken(const std::string& path) const {
    return ::ToDescToken(path, FBook.DirPDF());
}
std::string TfmMain::FromTestsToken(const std::string& path) const {
    return ::FromTestsToken(path, FBook.DirTests());
}
std::string TfmMain::FromDescToken(const std::string& path) const {
    return ::FromDescToken(path, FBook.DirPDF());
}

// ---------------------------------------------------------------------------------------------------------
// The selection chain: the model holds the current test file and analog, the lists mirror them.

// The list follows the book by itself; what remains is to choose and show the current test file.
void TfmMain::RefreshFileList() {
    const TSprav& sprav = FBook.Sprav();
    if (FBook.CurrentFileIndex() < 0) {
        // Test file 0 becomes current; it is selected and shown as a click shows it, so that a name is
        // never added to a test file the user cannot see selected.
        FBook.SetCurrentFile(0);
        if (FBook.CurrentFile() == nullptr) {
            return;
        }
    } else if (FBook.CurrentFile() == nullptr && !sprav.Files.empty()) {
        // The current test file was deleted: the row that moved into its place takes it, or, when it was the
        // last row, the row above, so that a list with rows always has one selected and the next add goes
        // where the user sees.
        FBook.SetCurrentFile(std::min(FBook.CurrentFileIndex(), static_cast<int>(sprav.Files.size()) - 1));
    }
    FFiles->SelectRow(FBook.CurrentFileIndex());
    lbFilesClick();
}

void TfmMain::lbFilesClick() {
    // A comment that could not be saved is kept: a click on another row is undone; where the book itself
    // moved on (files added, the current one deleted) the chain goes on and the editor keeps the text,
    // which still belongs to the test file it was loaded for.
    const bool keepComment = !FComment->MaybeSaveComment(false);
    if (keepComment && FBook.CurrentFile() != nullptr && FFiles->SelectedRow() != FBook.CurrentFileIndex()) {
        FFiles->SelectRow(FBook.CurrentFileIndex());
        return;
    }
    FBook.SetCurrentFile(FFiles->SelectedRow());
    FNames->ClearTypedName();
    FDescription->Clear();
    if (!keepComment) {
        FComment->LoadTestComment();
    }
    RefreshNames(true);
}

// The list shows the current test file's names by itself; what remains is the marks, and with reselection
// the current analog, shown as a click shows it. Like a list filled anew, it has no selected row otherwise.
void TfmMain::RefreshNames(bool reselect) {
    FNames->SelectRow(-1);
    UpdatePrefChecks();
    // After the last analog was deleted its position is past the end: the one above is selected instead.
    const TSpravFile* current = FBook.CurrentFile();
    const int count = current == nullptr ? 0 : static_cast<int>(current->Sinonims.size());
    if (reselect && count > 0 && FBook.CurrentNameIndex() >= count) {
        FBook.SetCurrentName(count - 1);
    }
    if (reselect && FNames->HasRow(FBook.CurrentNameIndex())) {
        FNames->SelectRow(FBook.CurrentNameIndex());
        lbNamesClick();
    }
}

void TfmMain::UpdatePrefChecks() {
    FPrefixes->SetTypedName(FNames->TypedName());
    FPrefixes->UpdatePrefChecks();
}

void TfmMain::lbNamesClick() {
    if (const TSpravSinonim* shown = FNames->lbNamesClick()) {
        FDescription->ShowPath(FromCp1251(ToDescToken(shown->DescPath)));
    }
    // The add button follows the typed name, also when showing the analog left the text as it was.
    eNameChange();
}

void TfmMain::eNameChange() {
    FPrefixes->SetListEnabled(FNames->eNameChange());
    UpdatePrefChecks();
}

void TfmMain::ShowAnalog(int fileIndex, int nameIndex) {
    if (fileIndex < 0 || static_cast<std::size_t>(fileIndex) >= FBook.Sprav().Files.size()) {
        return;
    }
    FFiles->SelectRow(fileIndex);
    lbFilesClick();
    // The click may have stayed where it was: an unsaved comment whose save failed keeps its test file.
    if (FFiles->SelectedRow() != fileIndex || !FNames->HasRow(nameIndex)) {
        return;
    }
    FNames->SelectRow(nameIndex);
    FBook.SetCurrentName(nameIndex);
    lbNamesClick();
}

// Whether the book is back as it was last read or saved is known only once the stack has moved to the
// step undone or redone, after the step itself has run.
void TfmMain::acUndoExecute() {
    FBook.Undo();
}

void TfmMain::acRedoExecute() {
    FBook.Redo();
}

void TfmMain::ShowUndoneChange(int fileIndex, int nameIndex) {
    const TSprav& sprav = FBook.Sprav();
    const int files = static_cast<int>(sprav.Files.size());
    if (files == 0) {
        FFiles->SelectRow(-1);
        lbFilesClick();
        return;
    }
    fileIndex = std::clamp(fileIndex, 0, files - 1);
    // A name taken away by the undo leaves its place to the name after it, or to the last one.
    const int names = static_cast<int>(sprav.Files[static_cast<std::size_t>(fileIndex)]->Sinonims.size());
    const int shownName = nameIndex < 0 ? -1 : std::min(nameIndex, names - 1);
    if (FBook.CurrentFile() == nullptr || FBook.CurrentFileIndex() != fileIndex ||
        FFiles->SelectedRow() != fileIndex) {
        ShowAnalog(fileIndex, shownName);
        return;
    }
    // The test file shown stays shown, as a click on its row would leave it, but its comment is not read
    // again: the user may be typing it, and a step of the book is no reason to ask about it or drop it.
    FNames->ClearTypedName();
    FDescription->Clear();
    if (shownName >= 0) {
        FBook.SetCurrentName(shownName);
    }
    RefreshNames(true);
}

// A cancelled search leaves the window and the book as they were.
void TfmMain::acFindSinExecute() {
    TfmVvodSinonim dialog(this);
    dialog.Sprav = &FBook.Sprav();
    if (dialog.exec() != QDialog::Accepted) {
        return;
    }
    // On an empty book the choice names no row: the chain runs all the same, with no test file selected,
    // as a click that leaves the list without a selection does.
    if (FBook.Sprav().Files.empty()) {
        FFiles->SelectRow(dialog.FileIndex);
        lbFilesClick();
        return;
    }
    ShowAnalog(dialog.FileIndex, dialog.NameIndex);
}

// The right-hand area widens by the prefix panel when it opens, so that the names keep their width, and
// shrinks to the least width the names panel allows when it closes. An opened panel shows the marks of the
// current analog's name.
void TfmMain::PrefixPanelShown(bool shown) {
    FNames->SetPrefixButtonVisible(!shown);
    const QList<int> sizes = ui->Splitter2->sizes();
    if (sizes.size() == 2) {
        const int total = sizes[0] + sizes[1];
        const int right = shown ? sizes[1] + FPrefixes->maximumWidth() + ui->Panel7->layout()->spacing()
                                : ui->Panel7->minimumSizeHint().width();
        ui->Splitter2->setSizes({std::max(total - right, 0), right});
    }
    if (shown) {
        RefreshNames(true);
    }
}

// ---------------------------------------------------------------------------------------------------------
// Service and help.

void TfmMain::N19Click() {
    if (Ask(QStringLiteral("Изменение данных дирректорий может повлечь нарушение связей с некоторыми файлами "
                           "тестов и файлами описания. Вы действительно хотите изменить Директории?"),
            kMessageCaption, MessageIcon::Warning, MessageButtons::YesNo) != MessageAnswer::Yes) {
        return;
    }
    std::string tests = FBook.DirTests();
    std::string pdf = FBook.DirPDF();
    RunDirDialog(this, tests, pdf);
    FBook.SetDirectories(tests, pdf);
}

// The report stays open beside the window; running the command again checks the book anew.
void TfmMain::acCheckSpravExecute() {
    if (FBookCheck == nullptr) {
        FBookCheck = new TfmBookCheck(
            FBook, [this](int file, int name) { ShowAnalog(file, name); }, this);
    }
    // A report opened anew finds its place beside the window as it is now (moved, resized, the prefix
    // panel opened since); one still open stays where the user has it.
    if (!FBookCheck->isVisible()) {
        FBookCheck->PlaceBeside(*this);
    }
    FBookCheck->show();
    FBookCheck->raise();
    FBookCheck->activateWindow();
    FBookCheck->RunCheck();
}

void TfmMain::SetPrefFileName(std::string path) {
    FPrefFileName = std::move(path);
    FComment->SetFilesInUse(SpravFileName(), FPrefFileName);
}

void TfmMain::HelpAbout1Execute() {
    TfmAboutBox box(this);
    box.exec();
}

// The help file beside the executable, else the guide installed with it; when there is neither, the user
// is told where they were looked for rather than left with nothing.
void TfmMain::acHelpExecute() {
    const std::string exe = platform::ExePath();
    const std::vector<std::string> candidates = platform::HelpCandidates(exe);
    const std::string found = platform::FindHelpFile(candidates);
    if (found.empty()) {
        QStringList places;
        for (const std::string& candidate : candidates) {
            places.append(FromCp1251(candidate));
        }
        Inform(QStringLiteral("Справка не найдена. Её искали здесь:\n") + places.join(QLatin1Char('\n')));
        return;
    }
    platform::CurrentShell().Execute(this, QStringLiteral("open"), FromCp1251(found), QString(),
                                     FromCp1251(platform::ExtractFilePath(exe)), platform::ShowMaximized);
}
