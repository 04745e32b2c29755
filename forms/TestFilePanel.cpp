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

#include "document/Book.h"
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
    FBook->SetModified();
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
    const TBookOutcome outcome = FBook->AddTestFiles(
        chosenPaths,
        [](const std::string& path) {
            return Ask(QStringLiteral("Файл'") + platform::ToDisplayPath(path) +
                           QStringLiteral("' уже существует. Вы хотите добавить этот же файл еще раз?"),
                       QStringLiteral("Справочник"), MessageIcon::Question,
                       MessageButtons::YesNo) == MessageAnswer::Yes;
        },
        forms::Inform);
    // Files added while no book is shown start one: the user must see what will be saved.
    if (outcome.Added > 0) {
        emit FilesAdded();
    }
    emit FilesChanged();
}

void TTestFilePanel::acDeleteFileExecute() {
    FBook->SetModified();
    if (Ask(QStringLiteral(
                "Вы действительно хотите далит текущий файл и все названия микросхем с ним связанные?"),
            forms::kMessageCaption, MessageIcon::Question, MessageButtons::YesNo) != MessageAnswer::Yes) {
        return;
    }
    const int row = SelectedRow();
    if (row >= 0) {
        FBook->DeleteTestFile(row);
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
                FBook->SetModified();
                AddTestFiles(paths);
            });
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}
