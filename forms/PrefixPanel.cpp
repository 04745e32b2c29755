#include "forms/PrefixPanel.h"
#include "forms/Glyphs.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QSignalBlocker>
#include <QStatusTipEvent>
#include <QStyle>

#include "core/PrefixFile.h"
#include "core/PrefixNames.h"
#include "core/Sprav.h"
#include "document/Book.h"
#include "document/BookTexts.h"
#include "forms/FormMessages.h"
#include "forms/fm_MainAdd.h"
#include "platform/Paths.h"
#include "platform/Text.h"
#include "ui_PrefixPanel.h"


namespace {

const QString kSaveFilter = QStringLiteral("Преффиксы|*.prf");
const QString kLoadFilter = QStringLiteral("Префиксы|*.prf");

// Each row keeps its entry's bytes: the text shown is for the eye, the bytes are what the file and the
// generated names get, so that an entry comes back from the file exactly as it went in.
constexpr int kEntryBytesRole = Qt::UserRole;

std::string EntryBytes(const QListWidgetItem* item) {
    return item->data(kEntryBytesRole).toByteArray().toStdString();
}

QString ReadFailureText(const prefix_file::ReadResult& result) {
    using prefix_file::ReadFailure;
    switch (result.Failure) {
        case ReadFailure::NotRegularFile:
            return QStringLiteral("Это не обычный файл, а папка, канал или устройство.");
        case ReadFailure::TooLarge:
            return QStringLiteral("Файл больше %1 МБ: это не список префиксов.")
                .arg(prefix_file::kMaxFileBytes / (1024 * 1024));
        case ReadFailure::ControlByte:
            return QStringLiteral("В файле есть управляющие символы: это не список префиксов.");
        case ReadFailure::LineTooLong:
            return QStringLiteral("В файле есть строка длиннее %1 символов: это не список префиксов.")
                .arg(prefix_file::kMaxEntryLength);
        case ReadFailure::TooManyEntries:
            return QStringLiteral("В файле больше %1 строк: это не список префиксов.")
                .arg(prefix_file::kMaxEntries);
        case ReadFailure::CannotRead:
            if (result.Error == std::errc::no_such_file_or_directory) {
                return QStringLiteral("Файл не найден.");
            }
            return document::SystemErrorText(result.Error);
        case ReadFailure::None:
            break;
    }
    return {};
}

}  // namespace

TPrefixPanel::TPrefixPanel(QWidget* parent) : QWidget(parent), ui(std::make_unique<Ui::TPrefixPanel>()) {
    ui->setupUi(this);
    ui->bbLeft->setIcon(Glyph(QStyle::SP_ArrowLeft));
    ui->bbLeft2->setIcon(Glyph(QStyle::SP_ArrowLeft));
    ui->bbSavePreff->setIcon(Glyph(QStyle::SP_DialogSaveButton));
    ui->bbLoadPreff->setIcon(Glyph(QStyle::SP_DialogOpenButton));
    ui->bbClearPref->setIcon(Glyph(QStyle::SP_DialogResetButton));
    ui->sbAddAll->setIcon(Glyph(QStyle::SP_DialogYesButton));
    ui->sbDelAll->setIcon(Glyph(QStyle::SP_DialogNoButton));
    ui->clbPref->setUniformItemSizes(true);
}

TPrefixPanel::~TPrefixPanel() = default;

void TPrefixPanel::SetBook(TBook& book) {
    FBook = &book;
    pmPref = new QMenu(this);
    pmPref->setObjectName(QStringLiteral("pmPref"));
    auto addPrefItem = [this](const char* name, const QString& caption, void (TPrefixPanel::*handler)()) {
        QAction* item = pmPref->addAction(caption, this, handler);
        item->setObjectName(QLatin1String(name));
        item->setStatusTip(caption);
        return item;
    };
    addPrefItem("N7", QStringLiteral("Скрыть панель"), &TPrefixPanel::bbLeftClick);
    pmPref->addSeparator();
    addPrefItem("N3", QStringLiteral("Добавить преффикс"), &TPrefixPanel::N3Click);
    pmPref->addSeparator();
    addPrefItem("N6", QStringLiteral("Сохранить"), &TPrefixPanel::bbSavePreffClick)
        ->setStatusTip(QStringLiteral("Сохранить список преффиксов"));
    addPrefItem("N8", QStringLiteral("Загрузить"), &TPrefixPanel::bbLoadPreffClick)
        ->setStatusTip(QStringLiteral("Загрузить список преффиксов"));
    addPrefItem("N9", QStringLiteral("Очистить список"), &TPrefixPanel::bbClearPrefClick);
    // The popup holds the only way to add a prefix, so it opens also while the list takes no marks (a listed
    // name is typed, as right after the panel opens on a selected analog): a disabled widget gets no
    // context-menu signal, but its event filter still sees the event.
    ui->clbPref->viewport()->installEventFilter(this);
    // The popup is a window of its own, where the hints of its items would stop: they go on to the main
    // window's status bar, as those of the main menu do.
    pmPref->installEventFilter(this);

    connect(ui->bbSavePreff, &QToolButton::clicked, this, &TPrefixPanel::bbSavePreffClick);
    connect(ui->bbLoadPreff, &QToolButton::clicked, this, &TPrefixPanel::bbLoadPreffClick);
    connect(ui->bbClearPref, &QToolButton::clicked, this, &TPrefixPanel::bbClearPrefClick);
    connect(ui->bbLeft, &QToolButton::clicked, this, &TPrefixPanel::bbLeftClick);
    connect(ui->bbLeft2, &QToolButton::clicked, this, &TPrefixPanel::bbLeftClick);
    connect(ui->sbAddAll, &QToolButton::clicked, this, &TPrefixPanel::bbAllPrefClick);
    connect(ui->sbDelAll, &QToolButton::clicked, this, &TPrefixPanel::sbDelAllClick);
    connect(ui->acAddGrup, &QAction::triggered, this, &TPrefixPanel::bbAddGrupClick);
    connect(ui->bbAddGrup, &QPushButton::clicked, ui->acAddGrup, &QAction::trigger);
    // Only the user's toggles reach here: every change the program makes to the list blocks the signal.
    connect(ui->clbPref, &QListWidget::itemChanged, this, [this](QListWidgetItem* item) {
        const QString step = item->checkState() == Qt::Checked
                                 ? QStringLiteral("отметка префикса «%1»").arg(item->text())
                                 : QStringLiteral("снятие отметки префикса «%1»").arg(item->text());
        RunPass([this, &step](const std::vector<TPrefixEntry>& entries, std::vector<bool>& marks) {
            return FBook->PrefixPass(step, FTypedName, entries, marks);
        });
    });
}

bool TPrefixPanel::eventFilter(QObject* watched, QEvent* event) {
    if (watched == ui->clbPref->viewport() && event->type() == QEvent::ContextMenu) {
        pmPref->popup(static_cast<QContextMenuEvent*>(event)->globalPos());
        return true;
    }
    if (watched == pmPref && event->type() == QEvent::StatusTip) {
        QStatusTipEvent tip(static_cast<QStatusTipEvent*>(event)->tip());
        QCoreApplication::sendEvent(this, &tip);
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

// The menu key and Shift+F10 open the popup from whichever control of the panel has the focus; the list
// itself takes no focus while it is disabled, and the popup must stay within reach of the keyboard then.
void TPrefixPanel::keyPressEvent(QKeyEvent* event) {
    const bool menuKey = event->key() == Qt::Key_Menu && event->modifiers() == Qt::NoModifier;
    const bool shiftF10 = event->key() == Qt::Key_F10 && event->modifiers() == Qt::ShiftModifier;
    if (menuKey || shiftF10) {
        PopupFromKeyboard();
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

// The window system may turn the same keys into a context-menu request of its own.
void TPrefixPanel::contextMenuEvent(QContextMenuEvent* event) {
    if (event->reason() != QContextMenuEvent::Keyboard) {
        event->ignore();
        return;
    }
    if (!pmPref->isVisible()) {
        PopupFromKeyboard();
    }
    event->accept();
}

// Below the list's current item, or below the focused control, with the first item active: the arrows move
// through the items and Enter runs one, as in a menu opened by the mouse.
void TPrefixPanel::PopupFromKeyboard() {
    QPoint at;
    QListWidget* list = ui->clbPref;
    QWidget* focused = QApplication::focusWidget();
    if (focused == list || focused == nullptr || !isAncestorOf(focused)) {
        QListWidgetItem* current = list->currentItem();
        if (current != nullptr) {
            list->scrollToItem(current);
            at = list->viewport()->mapToGlobal(list->visualItemRect(current).bottomLeft());
        } else {
            at = list->viewport()->mapToGlobal(QPoint(0, 0));
        }
    } else {
        at = focused->mapToGlobal(focused->rect().bottomLeft());
    }
    pmPref->popup(at);
    for (QAction* item : pmPref->actions()) {
        if (!item->isSeparator() && item->isEnabled()) {
            pmPref->setActiveAction(item);
            break;
        }
    }
}

// ---------------------------------------------------------------------------------------------------------
// The entries.

std::vector<std::string> TPrefixPanel::Entries() const {
    std::vector<std::string> entries;
    entries.reserve(static_cast<std::size_t>(ui->clbPref->count()));
    for (int i = 0; i < ui->clbPref->count(); ++i) {
        entries.push_back(EntryBytes(ui->clbPref->item(i)));
    }
    return entries;
}

void TPrefixPanel::AppendEntry(const std::string& bytes) {
    const QSignalBlocker programChange(ui->clbPref);
    auto* item = new QListWidgetItem(platform::FromCp1251(bytes));
    item->setData(kEntryBytesRole, QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())));
    item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
    item->setCheckState(Qt::Unchecked);
    ui->clbPref->addItem(item);
}

void TPrefixPanel::ShowEntries(const std::vector<std::string>& entries) {
    const QSignalBlocker programChange(ui->clbPref);
    ui->clbPref->clear();
    for (const std::string& entry : entries) {
        AppendEntry(entry);
    }
}

prefix_file::ReadResult TPrefixPanel::ReadEntries(const std::string& path, bool atStartUp,
                                                  std::vector<std::string>& entries) const {
    const prefix_file::ReadResult result = prefix_file::Read(platform::ToOsPath(path), entries);
    // At start-up a remembered path that is no prefix list is passed over as a missing one is; a list that
    // is there and cannot be read is still reported.
    if (!result.Ok() && (!atStartUp || result.Failure == prefix_file::ReadFailure::CannotRead)) {
        platform::CurrentDialogs().ErrorReport(
            QStringLiteral("Невозможно открыть файл %1\n%2")
                .arg(platform::ToDisplayPath(path), ReadFailureText(result)));
    }
    return result;
}

void TPrefixPanel::LoadPrefixFile(const std::string& path) {
    std::vector<std::string> entries;
    if (ReadEntries(path, true, entries).Ok()) {
        ShowEntries(entries);
    }
}

void TPrefixPanel::SetTypedName(const QString& typed) {
    FTypedName = typed;
}

void TPrefixPanel::SetPrefixFileName(const std::string& path) {
    FPrefixFileName = path;
}

void TPrefixPanel::TakePrefixFileName(const std::string& path) {
    FPrefixFileName = path;
    emit PrefixFileChosen(path);
}

// The first listed name equal to the entry's generated name with letter case ignored; -1 when none is.
int TPrefixPanel::ListedRow(const QListWidgetItem* item, const QString& typedText) const {
    return FBook->NameList().FindName(item->text() + typedText);
}

void TPrefixPanel::SetListEnabled(bool enabled) {
    ui->clbPref->setEnabled(enabled);
}

// ---------------------------------------------------------------------------------------------------------
// The list's commands. The chosen path becomes the prefix file in use as soon as a dialog is confirmed,
// also when the file then cannot be written or read; but a file found to be no prefix list at all is
// never taken as the list in use.

void TPrefixPanel::bbSavePreffClick() {
    platform::FileDialogOptions options;
    options.Filter = kSaveFilter;
    options.DefaultExtension = QStringLiteral("prf");
    const std::optional<std::string> path = forms::ChoosePathToSave(window(), options);
    if (!path) {
        return;
    }
    TakePrefixFileName(*path);
    if (const std::error_code error = prefix_file::Write(platform::ToOsPath(*path), Entries())) {
        platform::CurrentDialogs().ErrorReport(document::SaveFailedText(*path, document::SystemErrorText(error)));
    }
}

void TPrefixPanel::bbLoadPreffClick() {
    platform::FileDialogOptions options;
    options.Filter = kLoadFilter;
    options.MustExist = false;
    options.InitialDir = platform::ToOsPathText(platform::ExtractFileDir(FPrefixFileName));
    const std::optional<std::string> path = forms::ChoosePathToOpen(window(), options);
    if (!path) {
        return;
    }
    std::vector<std::string> entries;
    const prefix_file::ReadResult result = ReadEntries(*path, false, entries);
    if (!prefix_file::IsNotAPrefixList(result.Failure)) {
        TakePrefixFileName(*path);
    }
    // The marks stay off until the next recomputation.
    if (result.Ok()) {
        ShowEntries(entries);
    }
}

void TPrefixPanel::bbClearPrefClick() {
    const QSignalBlocker programChange(ui->clbPref);
    ui->clbPref->clear();
}

void TPrefixPanel::N3Click() {
    if (static_cast<std::size_t>(ui->clbPref->count()) >= prefix_file::kMaxEntries) {
        forms::Inform(QStringLiteral("В списке уже %1 префиксов: с ещё одним файл префиксов не загрузится.")
                          .arg(prefix_file::kMaxEntries));
        return;
    }
    TfmAddPrefSuff dialog(window());
    dialog.setWindowTitle(QStringLiteral("Добавление преффикса"));
    dialog.pRusLat->hide();
    if (dialog.exec() == QDialog::Accepted) {
        // accept() has let through only text that Windows-1251 holds.
        AppendEntry(platform::ToCp1251(dialog.edNamePreff->text()).value_or(std::string()));
    }
}

// ---------------------------------------------------------------------------------------------------------
// Marking and generation.

void TPrefixPanel::UpdatePrefChecks() {
    // Marks set by the program are not the user's toggles.
    const QSignalBlocker programChange(ui->clbPref);
    for (int i = 0; i < ui->clbPref->count(); ++i) {
        QListWidgetItem* item = ui->clbPref->item(i);
        item->setCheckState(ListedRow(item, FTypedName) >= 0 ? Qt::Checked : Qt::Unchecked);
    }
}

std::vector<TPrefixEntry> TPrefixPanel::PassEntries() const {
    std::vector<TPrefixEntry> entries;
    entries.reserve(static_cast<std::size_t>(ui->clbPref->count()));
    for (int i = 0; i < ui->clbPref->count(); ++i) {
        const QListWidgetItem* item = ui->clbPref->item(i);
        entries.push_back({EntryBytes(item), item->text()});
    }
    return entries;
}

std::vector<bool> TPrefixPanel::Marks() const {
    std::vector<bool> marks(static_cast<std::size_t>(ui->clbPref->count()));
    for (int i = 0; i < ui->clbPref->count(); ++i) {
        marks[static_cast<std::size_t>(i)] = ui->clbPref->item(i)->checkState() == Qt::Checked;
    }
    return marks;
}

void TPrefixPanel::ShowMarks(const std::vector<bool>& marks) {
    const QSignalBlocker programChange(ui->clbPref);
    for (int i = 0; i < ui->clbPref->count() && static_cast<std::size_t>(i) < marks.size(); ++i) {
        ui->clbPref->item(i)->setCheckState(marks[static_cast<std::size_t>(i)] ? Qt::Checked : Qt::Unchecked);
    }
}

// The pass, and what follows it: each kind of refusal shown once, the names list shown anew.
void TPrefixPanel::RunPass(const std::function<TBookOutcome(const std::vector<TPrefixEntry>&, std::vector<bool>&)>& pass) {
    const std::vector<TPrefixEntry> entries = PassEntries();
    std::vector<bool> marks = Marks();
    const TBookOutcome outcome = pass(entries, marks);
    ShowMarks(marks);
    forms::InformAll(outcome.Refusals);
    if (outcome.Attempted) {
        emit NamesGenerated();
    }
}

// Makes the current test file agree with the marks (the book's prefix pass).
void TPrefixPanel::bbAddPreffsClick() {
    RunPass([this](const std::vector<TPrefixEntry>& entries, std::vector<bool>& marks) {
        return FBook->PrefixPass(QStringLiteral("генерация названий по префиксам"), FTypedName, entries, marks);
    });
}

void TPrefixPanel::bbAllPrefClick() {
    RunPass([this](const std::vector<TPrefixEntry>& entries, std::vector<bool>& marks) {
        return FBook->MarkAllPrefixes(FTypedName, entries, marks);
    });
}

void TPrefixPanel::sbDelAllClick() {
    RunPass([this](const std::vector<TPrefixEntry>& entries, std::vector<bool>& marks) {
        return FBook->UnmarkAllPrefixes(FTypedName, entries, marks);
    });
}

void TPrefixPanel::bbRightClick() {
    show();
    emit Shown(true);
}

void TPrefixPanel::bbLeftClick() {
    hide();
    emit Shown(false);
}

// Adding a whole group of analogs by prefixes and suffixes was planned and never built.
void TPrefixPanel::bbAddGrupClick() {}
