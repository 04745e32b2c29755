#include "fm_Main.h"

#include <QCloseEvent>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QStyle>
#include <QTimer>
#include <QToolButton>
#include <QUrl>

#include <array>
#include <system_error>
#include <utility>

#include "Dialogs.h"
#include "PathTokens.h"
#include "Paths.h"
#include "PrefixFile.h"
#include "Settings.h"
#include "Shell.h"
#include "SpravFile.h"
#include "Text.h"
#include "fm_Dir.h"
#include "fm_about.h"
#include "ui_fm_Main.h"

using platform::FromCp1251;
using platform::MessageAnswer;
using platform::MessageButtons;
using platform::MessageIcon;

namespace {

const QString kMessageCaption = QStringLiteral("Редактор справочников");
const QString kSpravFilter = QStringLiteral("Справочники|*.spr;*.lib|Все файлы|*.*");
const QString kSpravExtension = QStringLiteral("spr");
const QString kTestFilter = QStringLiteral("AllTest|*.qor;*.wsk|QOR|*.qor|WSK|*.wsk");

constexpr const char* kSpravKey = "Software\\QOR_Sprav";
constexpr const char* kMainKey = "Software\\QOR_Main";

void Inform(const QString& text) {
    platform::CurrentDialogs().Information(text);
}

MessageAnswer Ask(const QString& text, const QString& caption, MessageIcon icon, MessageButtons buttons) {
    return platform::CurrentDialogs().MessageBox(text, caption, icon, buttons);
}

// A path from a dialog or a drop, as the book stores it; refused with a message when Windows-1251 cannot
// hold it, since such a path could not be written to the book or the settings.
std::optional<std::string> TakeChosenPath(const QString& chosen) {
    if (!CheckStorablePath(chosen)) {
        return std::nullopt;
    }
    return platform::ToStoredPath(chosen);
}

QString SystemErrorText(const std::error_code& error) {
    if (error == std::errc::permission_denied || error == std::errc::operation_not_permitted ||
        error == std::errc::read_only_file_system) {
        return QStringLiteral("Нет прав на запись.");
    }
    if (error == std::errc::no_such_file_or_directory || error == std::errc::not_a_directory) {
        return QStringLiteral("Папка не существует.");
    }
    if (error == std::errc::is_a_directory) {
        return QStringLiteral("По этому пути находится папка.");
    }
    if (error == std::errc::no_space_on_device) {
        return QStringLiteral("Недостаточно места на диске.");
    }
    return QString::fromLocal8Bit(error.message());
}

QString SaveFailureReason(const sprav_file::WriteResult& result) {
    using sprav_file::WriteFailure;
    const QString entry = FromCp1251(result.Entry);
    switch (result.Failure) {
        case WriteFailure::LineTooLong:
            return QStringLiteral("Строка справочника для «%1» длиннее %2 символов.")
                .arg(entry)
                .arg(sprav_file::kMaxLineLength);
        case WriteFailure::TooManyLines:
            return QStringLiteral("В справочнике больше %1 строк.").arg(sprav_file::kMaxLines);
        case WriteFailure::UnstorableText:
            return QStringLiteral("Запись «%1» содержит символы, которые справочник не может хранить.")
                .arg(entry);
        case WriteFailure::CannotWrite:
            return SystemErrorText(result.Error);
        case WriteFailure::None:
            break;
    }
    return {};
}

platform::FileDialogOptions SpravDialogOptions() {
    platform::FileDialogOptions options;
    options.Filter = kSpravFilter;
    options.DefaultExtension = kSpravExtension;
    return options;
}

bool IsTestFileName(const QString& path) {
    return path.endsWith(QLatin1String(".qor"), Qt::CaseInsensitive) ||
           path.endsWith(QLatin1String(".wsk"), Qt::CaseInsensitive);
}

// Local test files among dropped URLs, in the order the file manager gives them.
QStringList DroppedTestFiles(const QMimeData* mime) {
    QStringList paths;
    if (mime == nullptr || !mime->hasUrls()) {
        return paths;
    }
    for (const QUrl& url : mime->urls()) {
        if (!url.isLocalFile()) {
            continue;
        }
        const QFileInfo info(url.toLocalFile());
        if (info.isFile() && IsTestFileName(info.fileName())) {
            paths.append(QDir::toNativeSeparators(info.absoluteFilePath()));
        }
    }
    return paths;
}

}  // namespace

TfmMain::TfmMain(QWidget* parent) : QMainWindow(parent), ui(std::make_unique<Ui::TfmMain>()) {
    ui->setupUi(this);
    Sprav.OnMessage = [](const std::string& text) { Inform(QString::fromStdString(text)); };
    Sprav.SetCurrentFile(-1);

    BuildToolBar();
    BuildPopupMenus();
    SetGlyphs();
    ConnectCommands();

    ui->Splitter2->setStretchFactor(0, 1);
    ui->Splitter2->setStretchFactor(1, 0);
    ui->lbFiles->installEventFilter(this);
    ui->lbFiles->viewport()->installEventFilter(this);
    ui->lbNames->installEventFilter(this);
}

TfmMain::~TfmMain() = default;

// ---------------------------------------------------------------------------------------------------------
// Layout pieces that Designer cannot express: named tool buttons, popup menus, glyphs.

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

    // The clipboard actions work through their shortcuts only.
    addActions({ui->EditCut1, ui->EditCopy1, ui->EditPaste1});
}

void TfmMain::BuildPopupMenus() {
    pmFile = new QMenu(this);
    pmFile->setObjectName(QStringLiteral("pmFile"));
    pmFile->addAction(QStringLiteral("Добавить"), this, &TfmMain::acAddFileExecute)
        ->setStatusTip(ui->acAddFile->statusTip());
    pmFile->addAction(QStringLiteral("Удалить"), this, &TfmMain::acDeleteFileExecute)
        ->setStatusTip(ui->acDeleteFile->statusTip());
    connect(ui->lbFiles, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& pos) { pmFile->popup(ui->lbFiles->viewport()->mapToGlobal(pos)); });

    pmName = new QMenu(this);
    pmName->setObjectName(QStringLiteral("pmName"));
    pmName->addAction(QStringLiteral("Удалить"), this, &TfmMain::acDeleteNameExecute)
        ->setStatusTip(ui->acDeleteName->statusTip());
    connect(ui->lbNames, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& pos) { pmName->popup(ui->lbNames->viewport()->mapToGlobal(pos)); });

    pmPref = new QMenu(this);
    pmPref->setObjectName(QStringLiteral("pmPref"));
    auto addPrefItem = [this](const char* name, const QString& caption) {
        QAction* item = pmPref->addAction(caption);
        item->setObjectName(QLatin1String(name));
        item->setStatusTip(caption);
        return item;
    };
    addPrefItem("N7", QStringLiteral("Скрыть панель"));
    pmPref->addSeparator();
    addPrefItem("N3", QStringLiteral("Добавить преффикс"));
    pmPref->addSeparator();
    addPrefItem("N6", QStringLiteral("Сохранить"))
        ->setStatusTip(QStringLiteral("Сохранить список преффиксов"));
    addPrefItem("N8", QStringLiteral("Загрузить"))
        ->setStatusTip(QStringLiteral("Загрузить список преффиксов"));
    addPrefItem("N9", QStringLiteral("Очистить список"));
    connect(ui->clbPref, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& pos) { pmPref->popup(ui->clbPref->viewport()->mapToGlobal(pos)); });
}

void TfmMain::SetGlyphs() {
    QStyle* s = style();
    ui->FileNew1->setIcon(s->standardIcon(QStyle::SP_FileIcon));
    ui->FileOpen1->setIcon(s->standardIcon(QStyle::SP_DialogOpenButton));
    ui->FileSave1->setIcon(s->standardIcon(QStyle::SP_DialogSaveButton));
    ui->FileSaveAs1->setIcon(s->standardIcon(QStyle::SP_DialogSaveButton));
    ui->acAddFile->setIcon(s->standardIcon(QStyle::SP_FileDialogNewFolder));
    ui->acDeleteFile->setIcon(s->standardIcon(QStyle::SP_TrashIcon));
    ui->acDeleteName->setIcon(s->standardIcon(QStyle::SP_DialogDiscardButton));
    ui->acAddName->setIcon(s->standardIcon(QStyle::SP_FileDialogNewFolder));
    ui->acFindSin->setIcon(s->standardIcon(QStyle::SP_FileDialogContentsView));
    ui->acSeeFileInfo->setIcon(s->standardIcon(QStyle::SP_FileDialogInfoView));
    ui->HelpAbout1->setIcon(s->standardIcon(QStyle::SP_MessageBoxInformation));
    ui->acHelp->setIcon(s->standardIcon(QStyle::SP_DialogHelpButton));
    ui->bbSeeFileInfo->setDefaultAction(ui->acSeeFileInfo);
    ui->bbSavePrim->setIcon(s->standardIcon(QStyle::SP_DialogSaveButton));
    ui->bbRight->setIcon(s->standardIcon(QStyle::SP_ArrowRight));
    ui->bbLeft->setIcon(s->standardIcon(QStyle::SP_ArrowLeft));
    ui->bbLeft2->setIcon(s->standardIcon(QStyle::SP_ArrowLeft));
    ui->bbSavePreff->setIcon(s->standardIcon(QStyle::SP_DialogSaveButton));
    ui->bbLoadPreff->setIcon(s->standardIcon(QStyle::SP_DialogOpenButton));
    ui->bbClearPref->setIcon(s->standardIcon(QStyle::SP_DialogResetButton));
    ui->sbAddAll->setIcon(s->standardIcon(QStyle::SP_DialogYesButton));
    ui->sbDelAll->setIcon(s->standardIcon(QStyle::SP_DialogNoButton));
    ui->imDownTestInfo->setPixmap(s->standardIcon(QStyle::SP_ArrowDown).pixmap(13, 13));
    ui->imUpTestInfo->setPixmap(s->standardIcon(QStyle::SP_ArrowUp).pixmap(13, 13));
    ui->imDownInfoFile->setPixmap(s->standardIcon(QStyle::SP_ArrowDown).pixmap(13, 13));
    ui->imUpInfoFile->setPixmap(s->standardIcon(QStyle::SP_ArrowUp).pixmap(13, 13));
    ui->imIsEditInfo->setPixmap(s->standardIcon(QStyle::SP_MessageBoxWarning).pixmap(15, 15));
}

void TfmMain::ConnectCommands() {
    connect(ui->FileNew1, &QAction::triggered, this, &TfmMain::FileNew1Execute);
    connect(ui->FileOpen1, &QAction::triggered, this, &TfmMain::FileOpen1Execute);
    connect(ui->FileSave1, &QAction::triggered, this, &TfmMain::FileSave1Execute);
    connect(ui->FileSaveAs1, &QAction::triggered, this, &TfmMain::FileSave1Execute);
    connect(ui->FileExit1, &QAction::triggered, this, &TfmMain::FileExit1Execute);
    connect(ui->acAddFile, &QAction::triggered, this, &TfmMain::acAddFileExecute);
    connect(ui->acDeleteFile, &QAction::triggered, this, &TfmMain::acDeleteFileExecute);
    connect(ui->acAddSinonim, &QAction::triggered, this, &TfmMain::bbAddSinonimClick);
    connect(ui->acAddName, &QAction::triggered, this, &TfmMain::bbAddSinonimClick);
    connect(ui->acDeleteName, &QAction::triggered, this, &TfmMain::acDeleteNameExecute);
    connect(ui->N19, &QAction::triggered, this, &TfmMain::N19Click);
    connect(ui->HelpAbout1, &QAction::triggered, this, &TfmMain::HelpAbout1Execute);
    connect(ui->acHelp, &QAction::triggered, this, &TfmMain::acHelpExecute);

    connect(ui->bbAddSinonim, &QPushButton::clicked, ui->acAddSinonim, &QAction::trigger);
    connect(ui->bbEditSinonim, &QPushButton::clicked, this, &TfmMain::bbEditSinonimClick);
    connect(ui->bbDelSinonim, &QPushButton::clicked, ui->acDeleteName, &QAction::trigger);
    // The add button is the window's default button: Enter in the name field adds while it is enabled.
    connect(ui->eName, &QLineEdit::returnPressed, this, [this] {
        if (ui->bbAddSinonim->isEnabled()) {
            ui->bbAddSinonim->click();
        }
    });

    connect(ui->eName, &QLineEdit::textChanged, this, &TfmMain::eNameChange);
    connect(ui->edFileInfo, &QLineEdit::textChanged, this, &TfmMain::eNameChange);
    connect(ui->lbFiles, &QListWidget::itemSelectionChanged, this, [this] {
        if (FSelectingFromCode == 0) {
            lbFilesClick();
        }
    });
    connect(ui->lbNames, &QListWidget::itemSelectionChanged, this, [this] {
        if (FSelectingFromCode == 0) {
            lbNamesClick();
        }
    });

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

// ---------------------------------------------------------------------------------------------------------
// Start-up, settings and close.

void TfmMain::FormCreate(const QString& bookFromCommandLine) {
    platform::SetApplicationTitle(FromCp1251(VersionDescription()));
    Modified = false;
    ui->Splitter2->setSizes({std::max(width() - 250, 200), 250});
    ReadSettings();

    if (DirTests.empty()) {
        const MessageAnswer answer =
            Ask(QStringLiteral("Системный путь к файлам тестов не задан. Хотите задать его сейчас?"),
                kMessageCaption, MessageIcon::Question, MessageButtons::YesNo);
        if (answer == MessageAnswer::Yes && !RunDirDialog(this, DirTests, DirPDF)) {
            Inform(QStringLiteral(
                "Пути не были заданы. Задание путей необходимо для работы стандартных файлов справочников."));
        }
    }

    ClearSprav();
    ui->pMain->hide();

    if (platform::FileExists(PrefFileName)) {
        LoadPrefixFile(PrefFileName);
    }

    if (!bookFromCommandLine.isEmpty()) {
        const QString absolute = QDir::toNativeSeparators(QFileInfo(bookFromCommandLine).absoluteFilePath());
        const std::optional<std::string> stored = TakeChosenPath(absolute);
        if (!stored) {
            return;
        }
        if (!platform::FileExists(*stored)) {
            Inform(QStringLiteral("Файл не найден: ") + absolute);
            return;
        }
        OpenBook(*stored);
        return;
    }

    if (platform::FileExists(SpravFileName)) {
        LoadSprav(SpravFileName);
        ui->pMain->show();
        RefreshNames(true);
    }
}

namespace {

// The six settings: three in the editor's own key, three in the key shared with the tester programs.
struct SettingsKey {
    const char* Key;
    std::array<std::pair<const char*, std::string TfmMain::*>, 3> Values;
};
const SettingsKey kSettings[] = {
    {kSpravKey,
     {{{"FileName", &TfmMain::SpravFileName},
       {"FilePreff", &TfmMain::PrefFileName},
       {"FileSuff", &TfmMain::SuffFileName}}}},
    {kMainKey,
     {{{"Dir_QOR", &TfmMain::DirQOR}, {"Dir_Tests", &TfmMain::DirTests}, {"Dir_PDF", &TfmMain::DirPDF}}}},
};

}  // namespace

// A missing key is created with its values empty; a key that exists is not changed here.
void TfmMain::ReadSettings() {
    platform::Registry registry;
    for (const SettingsKey& key : kSettings) {
        if (!registry.OpenKey(key.Key, false) && registry.OpenKey(key.Key, true)) {
            for (const auto& [name, field] : key.Values) {
                registry.WriteString(name, "");
            }
        }
        for (const auto& [name, field] : key.Values) {
            this->*field = registry.ReadString(name);
        }
        registry.CloseKey();
    }
}

// All six values, changed or not.
void TfmMain::WriteSettings() const {
    platform::Registry registry;
    for (const SettingsKey& key : kSettings) {
        if (registry.OpenKey(key.Key, true)) {
            for (const auto& [name, field] : key.Values) {
                registry.WriteString(name, this->*field);
            }
            registry.CloseKey();
        }
    }
}

void TfmMain::LoadPrefixFile(const std::string& path) {
    std::string content;
    if (const std::error_code error = sprav_file::ReadWholeFile(platform::ToOsPath(path), content)) {
        platform::CurrentDialogs().ErrorReport(
            QStringLiteral("Невозможно открыть файл %1. %2")
                .arg(platform::ToDisplayPath(path), SystemErrorText(error)));
        return;
    }
    ui->clbPref->clear();
    for (const std::string& entry : prefix_file::SplitEntries(content)) {
        auto* item = new QListWidgetItem(FromCp1251(entry), ui->clbPref);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Unchecked);
    }
}

void TfmMain::closeEvent(QCloseEvent* event) {
    if (FormCloseQuery()) {
        WriteSettings();
        event->accept();
    } else {
        event->ignore();
    }
}

bool TfmMain::FormCloseQuery() {
    return MaybeSaveChanges();
}

// Asks about unsaved changes. Yes goes on only once the book is saved; No drops the changes; Cancel stops.
bool TfmMain::MaybeSaveChanges() {
    if (!Modified) {
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
    ++FSelectingFromCode;
    ui->lbFiles->clear();
    ui->lbNames->clear();
    --FSelectingFromCode;
    FListedNames.clear();
    ui->eName->clear();
    Sprav.ClearAll();
    ui->pMain->show();
}

void TfmMain::FileNew1Execute() {
    if (!MaybeSaveChanges()) {
        return;
    }
    ClearSprav();
    Modified = false;
}

void TfmMain::FileOpen1Execute() {
    if (!MaybeSaveChanges()) {
        return;
    }
    const std::optional<QString> chosen = platform::CurrentDialogs().OpenFile(this, SpravDialogOptions());
    if (!chosen) {
        return;
    }
    const std::optional<std::string> path = TakeChosenPath(*chosen);
    if (!path || !platform::FileExists(*path)) {
        return;
    }
    OpenBook(*path);
}

void TfmMain::OpenBook(const std::string& path) {
    SpravFileName = path;
    ClearSprav();
    LoadSprav(SpravFileName);
    Modified = false;
    ui->pMain->show();
    RefreshNames(true);
}

bool TfmMain::FileSave1Execute() {
    platform::FileDialogOptions options = SpravDialogOptions();
    options.InitialDir = platform::ToOsPathText(platform::ExtractFileDir(SpravFileName));
    // The current book's name is proposed, so that saving it again is one confirmation away.
    options.FileName =
        platform::ToDisplayPath(SpravFileName.substr(platform::ExtractFilePath(SpravFileName).size()));
    const std::optional<QString> chosen = platform::CurrentDialogs().SaveFile(this, options);
    if (!chosen) {
        return false;
    }
    const std::optional<std::string> path = TakeChosenPath(*chosen);
    if (!path) {
        return false;
    }
    if (platform::FileExists(*path) &&
        Ask(QStringLiteral("Заменить существующий файл?"), QStringLiteral("Редактор Справочников"),
            MessageIcon::Question, MessageButtons::YesNo) != MessageAnswer::Yes) {
        return false;
    }
    if (!SaveSprav(*path)) {
        return false;
    }
    SpravFileName = *path;
    SetBookCaption(SpravFileName);
    Modified = false;
    return true;
}

void TfmMain::FileExit1Execute() {
    close();
}

void TfmMain::LoadSprav(std::string path) {
    SetBookCaption(path);
    const sprav_file::ReadResult result = sprav_file::Load(platform::ToOsPath(path), Sprav, DirTests);
    if (!result.Ok()) {
        Inform(QStringLiteral("Невозможно открыть файл."));
        SpravFileName.clear();
        return;
    }
    RefreshFileList();
}

// Writes the book; a failure is shown with the file's name and its reason, and nothing else changes.
bool TfmMain::SaveSprav(const std::string& path) {
    const sprav_file::WriteResult result =
        sprav_file::Save(platform::ToOsPath(path), Sprav, sprav_file::Directories{DirTests, DirPDF});
    if (result.Ok()) {
        return true;
    }
    Ask(QStringLiteral("Не удалось сохранить файл ") + platform::ToDisplayPath(path) + QLatin1Char('\n') +
            SaveFailureReason(result),
        kMessageCaption, MessageIcon::Warning, MessageButtons::Ok);
    return false;
}

void TfmMain::RefreshFileList() {
    QStringList rows;
    rows.reserve(static_cast<qsizetype>(Sprav.Files.size()));
    for (const auto& file : Sprav.Files) {
        rows.append(FromCp1251(ToTestsToken(file->Path)));
    }
    ++FSelectingFromCode;
    ui->lbFiles->clear();
    ui->lbFiles->addItems(rows);
    --FSelectingFromCode;

    if (Sprav.CurrentFileIndex() < 0) {
        Sprav.SetCurrentFile(0);
        return;
    }
    SelectRow(ui->lbFiles, Sprav.CurrentFileIndex());
    lbFilesClick();
}

std::string TfmMain::ToTestsToken(const std::string& path) const {
    return ::ToTestsToken(path, DirTests);
}
std::string TfmMain::ToDescToken(const std::string& path) const {
    return ::ToDescToken(path, DirPDF);
}
std::string TfmMain::FromTestsToken(const std::string& path) const {
    return ::FromTestsToken(path, DirTests);
}
std::string TfmMain::FromDescToken(const std::string& path) const {
    return ::FromDescToken(path, DirPDF);
}

// ---------------------------------------------------------------------------------------------------------
// Test files.

int TfmMain::SelectedRow(const QListWidget* list) const {
    const QList<QListWidgetItem*> selected = list->selectedItems();
    return selected.isEmpty() ? -1 : list->row(selected.front());
}

void TfmMain::SelectRow(QListWidget* list, int row) {
    ++FSelectingFromCode;
    if (row >= 0 && row < list->count()) {
        list->setCurrentRow(row);
    } else {
        list->setCurrentRow(-1);
        list->clearSelection();
    }
    --FSelectingFromCode;
}

void TfmMain::acAddFileExecute() {
    Modified = true;
    platform::FileDialogOptions options;
    options.Filter = kTestFilter;
    options.FilterIndex = 1;
    // Test files usually live below the tests directory, so the dialog starts there.
    options.InitialDir = platform::ToOsPathText(DirTests);
    const std::optional<QStringList> chosen = platform::CurrentDialogs().OpenFiles(this, options);
    if (chosen) {
        AddTestFiles(*chosen);
    } else {
        RefreshFileList();
    }
}

void TfmMain::AddTestFiles(const QStringList& chosenPaths) {
    const std::size_t countBefore = Sprav.Files.size();
    for (const QString& chosen : chosenPaths) {
        const std::optional<std::string> path = TakeChosenPath(chosen);
        if (!path) {
            continue;
        }
        const bool listed = std::any_of(Sprav.Files.begin(), Sprav.Files.end(),
                                        [&](const auto& file) { return file->Path == *path; });
        if (listed && Ask(QStringLiteral("Файл'") + platform::ToDisplayPath(*path) +
                              QStringLiteral("' уже существует. Вы хотите добавить этот же файл еще раз?"),
                          QStringLiteral("Справочник"), MessageIcon::Question,
                          MessageButtons::YesNo) != MessageAnswer::Yes) {
            continue;
        }
        Sprav.AddTestFile(*path);
    }
    // Files added while no book is shown start one: the user must see what will be saved.
    if (Sprav.Files.size() > countBefore) {
        ui->pMain->show();
    }
    RefreshFileList();
}

void TfmMain::acDeleteFileExecute() {
    Modified = true;
    if (Ask(QStringLiteral(
                "Вы действительно хотите далит текущий файл и все названия микросхем с ним связанные?"),
            kMessageCaption, MessageIcon::Question, MessageButtons::YesNo) != MessageAnswer::Yes) {
        return;
    }
    const int row = SelectedRow(ui->lbFiles);
    if (row >= 0) {
        Sprav.DeleteTestFile(row);
    }
    RefreshFileList();
}

void TfmMain::lbFilesClick() {
    Sprav.SetCurrentFile(SelectedRow(ui->lbFiles));
    ui->eName->clear();
    ui->edFileInfo->clear();
    RefreshNames(true);
}

// ---------------------------------------------------------------------------------------------------------
// Chip names.

void TfmMain::RefreshNames(bool reselect) {
    QStringList rows;
    if (Sprav.CurrentFile != nullptr) {
        rows.reserve(static_cast<qsizetype>(Sprav.CurrentFile->Sinonims.size()));
        for (const auto& sinonim : Sprav.CurrentFile->Sinonims) {
            rows.append(FromCp1251(sinonim->Name));
        }
    }
    FListedNames.clear();
    for (const QString& row : rows) {
        FListedNames.insert(row.toCaseFolded());
    }
    ++FSelectingFromCode;
    ui->lbNames->clear();
    ui->lbNames->addItems(rows);
    --FSelectingFromCode;
    UpdatePrefChecks();

    if (reselect && Sprav.CurrentSinonimIndex >= 0 && Sprav.CurrentSinonimIndex < ui->lbNames->count()) {
        SelectRow(ui->lbNames, Sprav.CurrentSinonimIndex);
        lbNamesClick();
    }
}

void TfmMain::lbNamesClick() {
    ui->bbDelSinonim->setEnabled(true);
    if (!ui->eName->text().isEmpty()) {
        ui->bbAddSinonim->setEnabled(true);
    }
    int row = SelectedRow(ui->lbNames);
    if (row < 0 && Sprav.CurrentSinonimIndex >= 0 && Sprav.CurrentSinonimIndex < ui->lbNames->count()) {
        SelectRow(ui->lbNames, Sprav.CurrentSinonimIndex);
        row = SelectedRow(ui->lbNames);
    }
    if (row >= 0) {
        Sprav.CurrentSinonimIndex = row;
    }
    if (Sprav.CurrentFile != nullptr && row >= 0) {
        if (const TSpravSinonim* sinonim = Sprav.GetSinonim(Sprav.CurrentFile, row)) {
            ui->eName->setText(FromCp1251(sinonim->Name));
            ui->edFileInfo->setText(FromCp1251(ToDescToken(sinonim->DescPath)));
            ui->edFileInfo->setCursorPosition(0);  // a long path shows its beginning, the token first
        }
    }
}

bool TfmMain::IsListedName(const QString& text) const {
    return FListedNames.contains(text.toCaseFolded());
}

void TfmMain::eNameChange() {
    const bool listed = IsListedName(ui->eName->text());
    ui->bbAddSinonim->setEnabled(!listed);
    ui->bbDelSinonim->setEnabled(listed && SelectedRow(ui->lbNames) >= 0);
    ui->clbPref->setEnabled(ui->bbAddSinonim->isEnabled());
    UpdatePrefChecks();
}

// Each prefix is marked when the prefix followed by the typed name is among the names, ignoring case.
void TfmMain::UpdatePrefChecks() {
    const QString typed = ui->eName->text();
    for (int i = 0; i < ui->clbPref->count(); ++i) {
        QListWidgetItem* item = ui->clbPref->item(i);
        item->setCheckState(IsListedName(item->text() + typed) ? Qt::Checked : Qt::Unchecked);
    }
}

void TfmMain::bbAddSinonimClick() {
    Modified = true;
    const QString typed = ui->eName->text();
    if (typed.isEmpty()) {
        Inform(QStringLiteral("Введите название микросхемы (аналога)."));
        ui->eName->setFocus();
        return;
    }
    const std::optional<std::string> name = platform::ToCp1251(typed);
    if (!name) {
        Inform(QStringLiteral("Название содержит символы, которые нельзя сохранить в справочнике."));
        ui->eName->setFocus();
        return;
    }
    // The description edit only ever shows text that came from the book or from a checked dialog.
    const bool added =
        Sprav.AddSinonimWithDesc(*name, platform::ToCp1251(ui->edFileInfo->text()).value_or(std::string())) !=
        nullptr;
    RefreshNames(true);
    if (!added) {
        ui->eName->setText(typed);  // a refused name stays in the field to be corrected
    }
    eNameChange();
    ReadyForNextName();
}

// After a name is stored the next one is usually typed at once: the field keeps the focus, its text selected.
void TfmMain::ReadyForNextName() {
    ui->eName->setFocus();
    ui->eName->selectAll();
}

void TfmMain::bbEditSinonimClick() {
    Modified = true;
    const QString typed = ui->eName->text();
    bool refused = false;
    const int row = SelectedRow(ui->lbNames);
    if (row >= 0) {
        const std::optional<std::string> name = platform::ToCp1251(typed);
        if (!name) {
            Inform(QStringLiteral("Название содержит символы, которые нельзя сохранить в справочнике."));
            ui->eName->setFocus();
            return;
        }
        refused = Sprav.ChangeSinonim(Sprav.CurrentFile, row, *name,
                                      platform::ToCp1251(ui->edFileInfo->text()).value_or(std::string())) < 0;
    }
    RefreshNames(true);
    if (refused) {
        ui->eName->setText(typed);  // a refused name stays in the field to be corrected
    }
    eNameChange();
    ReadyForNextName();
}

void TfmMain::acDeleteNameExecute() {
    const int row = SelectedRow(ui->lbNames);
    if (row < 0) {
        Inform(QStringLiteral("Не выбрано навание микросхемы (аналог)."));
        return;
    }
    if (Ask(QStringLiteral("Удалить выбранный аналог?"), kMessageCaption, MessageIcon::Question,
            MessageButtons::YesNo) != MessageAnswer::Yes) {
        return;
    }
    ui->bbAddSinonim->setEnabled(true);
    ui->eName->clear();
    Modified = true;
    Sprav.DeleteSinonim(row);
    RefreshNames(true);
}

// ---------------------------------------------------------------------------------------------------------
// Service and help.

void TfmMain::N19Click() {
    if (Ask(QStringLiteral("Изменение данных дирректорий может повлечь нарушение связей с некоторыми файлами "
                           "тестов и файлами описания. Вы действительно хотите изменить Директории?"),
            kMessageCaption, MessageIcon::Warning, MessageButtons::YesNo) != MessageAnswer::Yes) {
        return;
    }
    RunDirDialog(this, DirTests, DirPDF);
}

void TfmMain::HelpAbout1Execute() {
    TfmAboutBox box(this);
    box.exec();
}

void TfmMain::acHelpExecute() {
    const std::string exe = platform::ExePath();
    platform::CurrentShell().Execute(this, QStringLiteral("open"), FromCp1251(HelpFilePath()), QString(),
                                     FromCp1251(platform::ExtractFilePath(exe)), platform::ShowMaximized);
}

// ---------------------------------------------------------------------------------------------------------
// Keyboard and drag-and-drop habits of the two lists.

bool TfmMain::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Delete &&
        static_cast<QKeyEvent*>(event)->modifiers() == Qt::NoModifier) {
        if (watched == ui->lbFiles) {
            acDeleteFileExecute();
            return true;
        }
        if (watched == ui->lbNames) {
            acDeleteNameExecute();
            return true;
        }
    }
    if (watched == ui->lbFiles->viewport()) {
        if (event->type() == QEvent::DragEnter || event->type() == QEvent::DragMove) {
            auto* drag = static_cast<QDragMoveEvent*>(event);
            if (!DroppedTestFiles(drag->mimeData()).isEmpty()) {
                drag->setDropAction(Qt::CopyAction);
                drag->accept();
            } else {
                drag->ignore();
            }
            return true;
        }
        if (event->type() == QEvent::Drop) {
            auto* drop = static_cast<QDropEvent*>(event);
            const QStringList paths = DroppedTestFiles(drop->mimeData());
            if (paths.isEmpty()) {
                drop->ignore();
                return true;
            }
            drop->setDropAction(Qt::CopyAction);
            drop->accept();
            // The duplicate question must not run inside the file manager's drag, so add once it is over.
            QTimer::singleShot(0, this, [this, paths] {
                Modified = true;
                AddTestFiles(paths);
            });
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}
