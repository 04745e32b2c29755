#include "forms/NamePanel.h"
#include "forms/Glyphs.h"

#include <QKeyEvent>
#include <QMenu>
#include <QStyle>

#include "core/Sprav.h"
#include "document/Book.h"
#include "forms/FormMessages.h"
#include "forms/ListRows.h"
#include "platform/Text.h"
#include "ui_NamePanel.h"

using forms::Inform;
using platform::FromCp1251;
using platform::MessageAnswer;
using platform::MessageButtons;
using platform::MessageIcon;

TNamePanel::TNamePanel(QWidget* parent) : QWidget(parent), ui(std::make_unique<Ui::TNamePanel>()) {
    ui->setupUi(this);
    ui->bbRight->setIcon(Glyph(QStyle::SP_ArrowRight));
    ui->lbNames->installEventFilter(this);
}

TNamePanel::~TNamePanel() = default;

void TNamePanel::SetBook(TBook& book) {
    FBook = &book;
    ui->lbNames->setModel(&book.NameList());
    pmName = new QMenu(this);
    pmName->setObjectName(QStringLiteral("pmName"));
    pmName->addAction(QStringLiteral("Удалить"), this, &TNamePanel::acDeleteNameExecute)
        ->setStatusTip(QStringLiteral("Удалить выбранное название микросхемы"));
    connect(ui->lbNames, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& pos) { pmName->popup(ui->lbNames->viewport()->mapToGlobal(pos)); });

    connect(ui->acAddSinonim, &QAction::triggered, this, &TNamePanel::bbAddSinonimClick);
    connect(ui->bbAddSinonim, &QPushButton::clicked, ui->acAddSinonim, &QAction::trigger);
    connect(ui->bbEditSinonim, &QPushButton::clicked, this, &TNamePanel::bbEditSinonimClick);
    connect(ui->bbDelSinonim, &QPushButton::clicked, this, &TNamePanel::acDeleteNameExecute);
    connect(ui->bbRight, &QToolButton::clicked, this, &TNamePanel::PrefixPanelRequested);
    connect(ui->eName, &QLineEdit::textChanged, this, &TNamePanel::TypedNameChanged);
    // Every change of the selection the user makes, a deselected row included, runs the click handler.
    connect(ui->lbNames, &TRowList::RowSelected, this, &TNamePanel::RowClicked);
}

// ---------------------------------------------------------------------------------------------------------
// The list.

bool TNamePanel::HasRow(int row) const {
    return row >= 0 && row < ui->lbNames->RowCount();
}

void TNamePanel::SelectRow(int row) {
    ui->lbNames->SelectRow(row);
}

int TNamePanel::SelectedRow() const {
    return ui->lbNames->SelectedRow();
}

QString TNamePanel::TypedName() const {
    return ui->eName->text();
}

void TNamePanel::ClearTypedName() {
    ui->eName->clear();
}

void TNamePanel::SetDescriptionText(const QString& shown) {
    FDescriptionText = shown;
}

void TNamePanel::SetPrefixButtonVisible(bool visible) {
    ui->bbRight->setVisible(visible);
}

// ---------------------------------------------------------------------------------------------------------
// The panel's part of the selection chain.

const TSpravSinonim* TNamePanel::lbNamesClick() {
    ui->bbDelSinonim->setEnabled(true);
    if (!ui->eName->text().isEmpty()) {
        ui->bbAddSinonim->setEnabled(true);
    }
    int row = SelectedRow();
    if (row < 0 && HasRow(FBook->CurrentNameIndex())) {
        SelectRow(FBook->CurrentNameIndex());
        row = SelectedRow();
    }
    if (row < 0) {
        return nullptr;
    }
    FBook->SetCurrentName(row);
    const TSpravSinonim* sinonim =
        FBook->CurrentFile() != nullptr ? FBook->Sprav().GetSinonim(FBook->CurrentFile(), row) : nullptr;
    if (sinonim != nullptr) {
        ui->eName->setText(FromCp1251(sinonim->Name));
    }
    return sinonim;
}

bool TNamePanel::eNameChange() {
    const bool listed = FBook->NameList().FindName(ui->eName->text()) >= 0;
    ui->bbAddSinonim->setEnabled(!listed);
    ui->bbDelSinonim->setEnabled(listed && SelectedRow() >= 0);
    return !listed;
}

// ---------------------------------------------------------------------------------------------------------
// Commands.

void TNamePanel::bbAddSinonimClick() {
    const QString typed = ui->eName->text();
    const QString shownDescription = FDescriptionText;
    const TBookOutcome outcome = FBook->AddName(typed, FDescriptionText);
    forms::InformAll(outcome.Refusals);
    if (!outcome.Attempted) {
        ui->eName->setFocus();
        return;
    }
    emit NamesChanged();
    if (outcome.Added == 0) {
        KeepEntry(typed, shownDescription);
    }
    emit TypedNameChanged();
    ReadyForNextName();
}

// A refused name stays in the field to be corrected, and the description path with it: the user's entry
// must not turn into the selected analog's, or the corrected name would be stored with another's datasheet.
void TNamePanel::KeepEntry(const QString& typed, const QString& shownDescription) {
    ui->eName->setText(typed);
    emit DescriptionTextKept(shownDescription);
}

// After a name is stored the next one is usually typed at once: the field keeps the focus, its text selected.
void TNamePanel::ReadyForNextName() {
    ui->eName->setFocus();
    ui->eName->selectAll();
}

void TNamePanel::bbEditSinonimClick() {
    FBook->SetModified();
    const QString typed = ui->eName->text();
    const QString shownDescription = FDescriptionText;
    bool refused = false;
    const int row = SelectedRow();
    if (row >= 0) {
        const TBookOutcome outcome = FBook->RenameName(row, typed, FDescriptionText);
        forms::InformAll(outcome.Refusals);
        if (!outcome.Attempted) {
            ui->eName->setFocus();
            return;
        }
        refused = outcome.Added == 0;
    }
    emit NamesChanged();
    if (refused) {
        KeepEntry(typed, shownDescription);
    }
    emit TypedNameChanged();
    ReadyForNextName();
}

void TNamePanel::acDeleteNameExecute() {
    const int row = SelectedRow();
    if (row < 0) {
        Inform(QStringLiteral("Не выбрано навание микросхемы (аналог)."));
        return;
    }
    if (forms::Ask(QStringLiteral("Удалить выбранный аналог?"), forms::kMessageCaption, MessageIcon::Question,
                   MessageButtons::YesNo) != MessageAnswer::Yes) {
        return;
    }
    ui->bbAddSinonim->setEnabled(true);
    ui->eName->clear();
    FBook->DeleteName(row);
    emit NamesChanged();
}

bool TNamePanel::TakeDescriptionFile(const std::string& path) {
    const TBookOutcome outcome = FBook->ChooseDescription(SelectedRow(), TypedName(), path);
    forms::InformAll(outcome.Refusals);
    return !outcome.Refused();
}

void TNamePanel::PressDefaultButton() {
    if (ui->bbAddSinonim->isEnabled()) {
        ui->bbAddSinonim->click();
    }
}

bool TNamePanel::eventFilter(QObject* watched, QEvent* event) {
    if (watched == ui->lbNames && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Delete && key->modifiers() == Qt::NoModifier) {
            acDeleteNameExecute();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}
