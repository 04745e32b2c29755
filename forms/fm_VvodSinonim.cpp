#include "forms/fm_VvodSinonim.h"

#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListView>
#include <QLocale>
#include <QPalette>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QScreen>
#include <QShowEvent>

#include <algorithm>
#include <tuple>

#include "core/Sprav.h"
#include "forms/FormFont.h"
#include "platform/Text.h"
#include "ui_fm_VvodSinonim.h"

using platform::FromCp1251;

// ---------------------------------------------------------------------------------------------------------
// The rows.

TSinonimList::TSinonimList(QObject* parent) : QAbstractListModel(parent) {}

void TSinonimList::SetBook(const TSprav* sprav) {
    beginResetModel();
    FSprav = sprav;
    FFolded.clear();
    FFirstOfFile.clear();
    FRows.clear();
    if (sprav != nullptr) {
        std::size_t names = 0;
        for (const auto& file : sprav->Files) {
            names += file->Sinonims.size();
        }
        FFolded.reserve(names);
        FFirstOfFile.reserve(sprav->Files.size() + 1);
        FRows.reserve(names);
        for (const auto& file : sprav->Files) {
            FFirstOfFile.push_back(static_cast<int>(FFolded.size()));
            for (const auto& sinonim : file->Sinonims) {
                FFolded.push_back(FromCp1251(sinonim->Name).toCaseFolded());
            }
        }
    }
    FFirstOfFile.push_back(static_cast<int>(FFolded.size()));
    endResetModel();
}

void TSinonimList::Fill(const QString& filter) {
    QString folded = filter.toCaseFolded();
    // A Turkic locale raises i to İ, which folds to no letter a Windows-1251 name can hold: match it as the
    // i that was typed.
    folded.replace(QChar(0x130), QLatin1Char('i'));
    beginResetModel();
    FRows.clear();
    for (std::size_t file = 0; file + 1 < FFirstOfFile.size(); ++file) {
        const int first = FFirstOfFile[file];
        const int count = FFirstOfFile[file + 1] - first;
        for (int name = 0; name < count; ++name) {
            if (folded.isEmpty() || FFolded[static_cast<std::size_t>(first + name)].contains(folded)) {
                FRows.emplace_back(static_cast<int>(file), name);
            }
        }
    }
    endResetModel();
}

int TSinonimList::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(FRows.size());
}

// Names are decoded when shown: the view asks only for the rows on screen.
QVariant TSinonimList::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= rowCount()) {
        return {};
    }
    const auto [file, name] = At(index.row());
    const TSpravSinonim* sinonim =
        FSprav->GetSinonim(FSprav->Files[static_cast<std::size_t>(file)].get(), name);
    return sinonim != nullptr ? FromCp1251(sinonim->Name) : QString();
}

// ---------------------------------------------------------------------------------------------------------
// The dialog.

TfmVvodSinonim::TfmVvodSinonim(QWidget* parent)
    : QDialog(parent), FUi(std::make_unique<Ui::TfmVvodSinonim>()), FList(new TSinonimList(this)) {
    FUi->setupUi(this);
    GroupBox1 = FUi->GroupBox1;
    edFilter = FUi->edFilter;
    lbNames = FUi->lbNames;
    Label1 = FUi->Label1;
    edFile = FUi->edFile;
    bbOk = FUi->bbOk;
    bbCancel = FUi->bbCancel;

    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    UseDialogFont(this);
    // The filter stands out on the tooltip colours, as hints do.
    QPalette hint = edFilter->palette();
    hint.setColor(QPalette::Base, hint.color(QPalette::ToolTipBase));
    hint.setColor(QPalette::Text, hint.color(QPalette::ToolTipText));
    edFilter->setPalette(hint);

    lbNames->setModel(FList);
    lbNames->setUniformItemSizes(true);

    edFilter->installEventFilter(this);
    connect(edFilter, &QLineEdit::textChanged, this, [this] {
        if (!FProgramChange) {
            edFilterChange();
        }
    });
    connect(lbNames->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
        if (!FProgramChange) {
            lbNamesClick();
        }
    });
    // A double click chooses the row, as Enter does through the default button.
    connect(lbNames, &QListView::doubleClicked, this, [this](const QModelIndex& index) {
        if (index.isValid()) {
            accept();
        }
    });
    connect(bbOk, &QPushButton::clicked, this, &QDialog::accept);
    connect(bbCancel, &QPushButton::clicked, this, &QDialog::reject);
}

TfmVvodSinonim::~TfmVvodSinonim() = default;

void TfmVvodSinonim::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (event->spontaneous()) {
        return;
    }
    if (const QScreen* screen = this->screen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
    FormShow();
}

// The arrow and page keys in the filter move through the list, so that a name is typed, picked and
// confirmed without leaving the keyboard's home row for the mouse.
bool TfmVvodSinonim::eventFilter(QObject* watched, QEvent* event) {
    if (watched == edFilter && event->type() == QEvent::KeyPress) {
        switch (static_cast<QKeyEvent*>(event)->key()) {
            case Qt::Key_Up:
            case Qt::Key_Down:
            case Qt::Key_PageUp:
            case Qt::Key_PageDown:
                QCoreApplication::sendEvent(lbNames, event);
                return true;
            default:
                break;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TfmVvodSinonim::FormShow() {
    FList->SetBook(Sprav);
    {
        const QScopedValueRollback<bool> program(FProgramChange, true);
        edFilter->clear();
    }
    FillNames(edFilter->text());
    lbNamesClick();
}

void TfmVvodSinonim::edFilterChange() {
    const int caret = edFilter->cursorPosition();
    // Shown in upper case, as the tester's names are written; the match itself ignores letter case.
    const QString upper = QLocale().toUpper(edFilter->text());
    if (upper != edFilter->text()) {
        const QScopedValueRollback<bool> program(FProgramChange, true);
        edFilter->setText(upper);
    }
    edFilter->setCursorPosition(std::min(caret, static_cast<int>(upper.size())));
    FillNames(edFilter->text());
    lbNamesClick();
}

// Refills the list; the first row, if any, is selected without becoming the choice yet.
void TfmVvodSinonim::FillNames(const QString& filter) {
    const QScopedValueRollback<bool> program(FProgramChange, true);
    FList->Fill(filter);
    if (FList->rowCount() > 0) {
        const QModelIndex first = FList->index(0);
        lbNames->selectionModel()->setCurrentIndex(first, QItemSelectionModel::ClearAndSelect);
        lbNames->scrollToTop();
    }
}

// An empty selection keeps the previous choice and its test file.
void TfmVvodSinonim::lbNamesClick() {
    const int row = SelectedRow();
    if (row < 0 || Sprav == nullptr) {
        return;
    }
    std::tie(FileIndex, NameIndex) = FList->At(row);
    edFile->setText(FromCp1251(Sprav->Files[static_cast<std::size_t>(FileIndex)]->Path));
}

int TfmVvodSinonim::SelectedRow() const {
    const QModelIndexList selected = lbNames->selectionModel()->selectedRows();
    return selected.isEmpty() ? -1 : selected.front().row();
}
