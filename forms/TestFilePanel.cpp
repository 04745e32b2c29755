#include "forms/TestFilePanel.h"

#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QTimer>
#include <QUrl>

#include <algorithm>

#include "core/BookLines.h"
#include "core/PathTokens.h"
#include "core/Sprav.h"
#include "forms/Book.h"
#include "forms/FormMessages.h"
#include "forms/ListRows.h"
#include "platform/Paths.h"
#include "platform/Text.h"
#include "ui_TestFilePanel.h"

using forms::Ask;
using platform::MessageAnswer;
using platform::MessageButtons;
using platform::MessageIcon;

namespace {

const QString kTestFilter = QStringLiteral("AllTest|*.qor;*.wsk|QOR|*.qor|WSK|*.wsk");

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

TTestFilePanel::TTestFilePanel(QWidget* parent)
    : QWidget(parent), ui(std::make_unique<Ui::TTestFilePanel>()) {
    ui->setupUi(this);
    ui->lbFiles->installEventFilter(this);
    ui->lbFiles->viewport()->installEventFilter(this);
}

TTestFilePanel::~TTestFilePanel() = default;

void TTestFilePanel::SetBook(TBook& book) {
    FBook = &book;
    ui->lbFiles->setModel(&book.FileList());
    pmFile = new QMenu(this);
    pmFile->setObjectName(QStringLiteral("pmFile"));
    pmFile->addAction(QStringLiteral("Добавить"), this, &TTestFilePanel::acAddFileExecute)
        ->setStatusTip(QStringLiteral("Добавить тестовый файл в справочник"));
    pmFile->addAction(QStringLiteral("Удалить"), this, &TTestFilePanel::acDeleteFileExecute)
        ->setStatusTip(QStringLiteral("Удалить выбранный тестовый файл и связанные с ним аналоги"));
    connect(ui->lbFiles, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& pos) { pmFile->popup(ui->lbFiles->viewport()->mapToGlobal(pos)); });
    // Every change of the selection the user makes, a deselected row included, runs the click handler.
    connect(ui->lbFiles, &TRowList::RowSelected, this, &TTestFilePanel::RowClicked);
}

void TTestFilePanel::SelectRow(int row) {
    ui->lbFiles->SelectRow(row);
}

int TTestFilePanel::SelectedRow() const {
    return ui->lbFiles->SelectedRow();
}

void TTestFilePanel::acAddFileExecute() {
    emit Edited();
    platform::FileDialogOptions options;
    options.Filter = kTestFilter;
    options.FilterIndex = 1;
    // Test files usually live below the tests directory, so the dialog starts there.
    options.InitialDir = platform::ToOsPathText(FBook->DirTests());
    const std::optional<QStringList> chosen = platform::CurrentDialogs().OpenFiles(window(), options);
    if (chosen) {
        AddTestFiles(*chosen);
    } else {
        emit FilesChanged();
    }
}

void TTestFilePanel::AddTestFiles(const QStringList& chosenPaths) {
    TSprav& sprav = FBook->Sprav();
    const std::size_t countBefore = sprav.Files.size();
    TBookStep step(FBook->History(), QStringLiteral("добавление тестовых файлов"));
    std::size_t lines = sprav.LineCount();
    for (const QString& chosen : chosenPaths) {
        const std::optional<std::string> path = forms::TakeChosenPath(chosen);
        if (!path || !FitsBookLine(sprav.Files.size(), *path)) {
            continue;
        }
        if (!forms::FitsLineCount(lines, *path)) {
            break;  // said once: no later file fits either
        }
        // A path kept in token form (read while the tests directory was unset) names the file below the
        // directory as it is now.
        const bool listed = std::any_of(sprav.Files.begin(), sprav.Files.end(), [&](const auto& file) {
            return FromTestsToken(file->Path, FBook->DirTests()) == *path;
        });
        if (listed && Ask(QStringLiteral("Файл'") + platform::ToDisplayPath(*path) +
                              QStringLiteral("' уже существует. Вы хотите добавить этот же файл еще раз?"),
                          QStringLiteral("Справочник"), MessageIcon::Question,
                          MessageButtons::YesNo) != MessageAnswer::Yes) {
            continue;
        }
        sprav.AddTestFile(*path);
        ++lines;
    }
    // Files added while no book is shown start one: the user must see what will be saved.
    if (sprav.Files.size() == countBefore + 1) {
        step.SetText(
            QStringLiteral("добавление тестового файла «%1»").arg(ShownPath(sprav.Files.back()->Path)));
    }
    if (sprav.Files.size() > countBefore) {
        emit FilesAdded();
    }
    emit FilesChanged();
}

QString TTestFilePanel::ShownPath(const std::string& path) const {
    return platform::FromCp1251(ToTestsToken(path, FBook->DirTests()));
}

// True when the book file can hold the test file at `position`; otherwise says so.
bool TTestFilePanel::FitsBookLine(std::size_t position, const std::string& path) const {
    const std::string tokenPath = ToTestsToken(path, FBook->DirTests());
    if (book_lines::TestFileLineLength(position, tokenPath.size()) <= book_lines::kMaxLineLength) {
        return true;
    }
    forms::Inform(
        QStringLiteral("Путь к тестовому файлу длиннее %1 символов, справочник не сможет его сохранить: ")
            .arg(book_lines::kMaxLineLength) +
        platform::ToDisplayPath(path));
    return false;
}

void TTestFilePanel::acDeleteFileExecute() {
    emit Edited();
    if (Ask(QStringLiteral(
                "Вы действительно хотите далит текущий файл и все названия микросхем с ним связанные?"),
            forms::kMessageCaption, MessageIcon::Question, MessageButtons::YesNo) != MessageAnswer::Yes) {
        return;
    }
    const int row = SelectedRow();
    if (row >= 0) {
        TSprav& sprav = FBook->Sprav();
        const TBookStep step(FBook->History(),
                             QStringLiteral("удаление тестового файла «%1»")
                                 .arg(ShownPath(sprav.Files[static_cast<std::size_t>(row)]->Path)));
        sprav.DeleteTestFile(row);
    }
    emit FilesChanged();
}

bool TTestFilePanel::eventFilter(QObject* watched, QEvent* event) {
    if (watched == ui->lbFiles && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Delete && key->modifiers() == Qt::NoModifier) {
            acDeleteFileExecute();
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
                emit Edited();
                AddTestFiles(paths);
            });
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}
