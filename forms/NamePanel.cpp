#include "forms/NamePanel.h"

#include <QKeyEvent>
#include <QMenu>
#include <QSignalBlocker>
#include <QStyle>

#include "core/PathTokens.h"
#include "core/Sprav.h"
#include "forms/FormMessages.h"
#include "forms/ListRows.h"
#include "forms/PanelHost.h"
#include "platform/Text.h"
#include "ui_NamePanel.h"

using forms::Inform;
using platform::FromCp1251;
using platform::MessageAnswer;
using platform::MessageButtons;
using platform::MessageIcon;

TNamePanel::TNamePanel(QWidget* parent) : QWidget(parent), ui(std::make_unique<Ui::TNamePanel>()) {
    ui->setupUi(this);
    ui->bbRight->setIcon(style()->standardIcon(QStyle::SP_ArrowRight));
    ui->lbNames->installEventFilter(this);
}

TNamePanel::~TNamePanel() = default;

void TNamePanel::Attach(TPanelHost& host) {
    FHost = &host;
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
    connect(ui->bbRight, &QToolButton::clicked, this, [this] { FHost->ShowPrefixPanel(); });
    connect(ui->eName, &QLineEdit::textChanged, this, [this] { FHost->eNameChange(); });
    // Every change of the selection the user makes, a deselected row included, runs the click handler.
    connect(ui->lbNames, &QListWidget::itemSelectionChanged, this, [this] { FHost->lbNamesClick(); });
}

// ---------------------------------------------------------------------------------------------------------
// The list.

void TNamePanel::ShowNames(const TSpravFile* file) {
    static const std::vector<std::unique_ptr<TSpravSinonim>> kNone;
    const auto& sinonims = file != nullptr ? file->Sinonims : kNone;
    // The prefix pass refreshes the list after every single removal, on test files of thousands of names:
    // an unchanged list, or one with a single row gone, keeps its other rows instead of being built anew.
    if (KeepShownRows(sinonims)) {
        return;
    }
    QStringList rows;
    rows.reserve(static_cast<qsizetype>(sinonims.size()));
    FShownNames.clear();
    FShownNames.reserve(sinonims.size());
    FListedNames.clear();
    for (const auto& sinonim : sinonims) {
        FShownNames.push_back(sinonim->Name);
        rows.append(FromCp1251(sinonim->Name));
        const QString folded = rows.back().toCaseFolded();
        if (!FListedNames.contains(folded)) {  // equal names: the lookups want the first row
            FListedNames.insert(folded, static_cast<int>(rows.size() - 1));
        }
    }
    const QSignalBlocker programChange(ui->lbNames);
    ui->lbNames->clear();
    ui->lbNames->addItems(rows);
}

bool TNamePanel::KeepShownRows(const std::vector<std::unique_ptr<TSpravSinonim>>& sinonims) {
    const std::size_t count = sinonims.size();
    if (count != FShownNames.size() && count + 1 != FShownNames.size()) {
        return false;
    }
    std::size_t removed = 0;
    while (removed < count && sinonims[removed]->Name == FShownNames[removed]) {
        ++removed;
    }
    if (count == FShownNames.size()) {
        if (removed != count) {
            return false;
        }
        SelectRow(-1);  // as a list built anew has no selected row
        return true;
    }
    for (std::size_t i = removed; i < count; ++i) {
        if (sinonims[i]->Name != FShownNames[i + 1]) {
            return false;
        }
    }
    const int gone = static_cast<int>(removed);
    const QString folded = ui->lbNames->item(gone)->text().toCaseFolded();
    FShownNames.erase(FShownNames.begin() + static_cast<std::ptrdiff_t>(removed));
    {
        const QSignalBlocker programChange(ui->lbNames);
        delete ui->lbNames->takeItem(gone);
    }
    SelectRow(-1);
    for (auto it = FListedNames.begin(); it != FListedNames.end(); ++it) {
        if (it.value() > gone) {
            --it.value();
        }
    }
    // When the first row of a name went, a later row of the same name becomes the first.
    if (FListedNames.value(folded, -1) == gone) {
        FListedNames.remove(folded);
        for (int row = gone; row < ui->lbNames->count(); ++row) {
            if (ui->lbNames->item(row)->text().toCaseFolded() == folded) {
                FListedNames.insert(folded, row);
                break;
            }
        }
    }
    return true;
}

bool TNamePanel::HasRow(int row) const {
    return row >= 0 && row < ui->lbNames->count();
}

void TNamePanel::SelectRow(int row) {
    forms::SelectRowQuietly(ui->lbNames, row);
}

int TNamePanel::SelectedRow() const {
    return forms::SelectedRow(ui->lbNames);
}

QString TNamePanel::TypedName() const {
    return ui->eName->text();
}

void TNamePanel::ClearTypedName() {
    ui->eName->clear();
}

int TNamePanel::FindListedName(const QString& name) const {
    return FListedNames.value(name.toCaseFolded(), -1);
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
    TSprav& sprav = FHost->Sprav();
    int row = SelectedRow();
    if (row < 0 && HasRow(sprav.CurrentSinonimIndex)) {
        SelectRow(sprav.CurrentSinonimIndex);
        row = SelectedRow();
    }
    if (row < 0) {
        return nullptr;
    }
    sprav.CurrentSinonimIndex = row;
    const TSpravSinonim* sinonim =
        sprav.CurrentFile != nullptr ? sprav.GetSinonim(sprav.CurrentFile, row) : nullptr;
    if (sinonim != nullptr) {
        ui->eName->setText(FromCp1251(sinonim->Name));
    }
    return sinonim;
}

bool TNamePanel::eNameChange() {
    const bool listed = FindListedName(ui->eName->text()) >= 0;
    ui->bbAddSinonim->setEnabled(!listed);
    ui->bbDelSinonim->setEnabled(listed && SelectedRow() >= 0);
    return !listed;
}

// ---------------------------------------------------------------------------------------------------------
// Commands.

bool TNamePanel::FitsBookLine(const std::string& name, const std::string& descPath) const {
    return forms::FitsSinonimLine(name, ToDescToken(descPath, FHost->DirPDF()));
}

void TNamePanel::bbAddSinonimClick() {
    FHost->SetModified();
    const QString typed = ui->eName->text();
    if (typed.isEmpty()) {
        Inform(QStringLiteral("Введите название микросхемы (аналога)."));
        ui->eName->setFocus();
        return;
    }
    const std::optional<std::string> name = forms::TakeTypedName(typed);
    // The description edit only ever shows text that came from the book or from a checked dialog.
    const std::string descPath = platform::ToCp1251(FHost->DescriptionText()).value_or(std::string());
    if (!name || !FitsBookLine(*name, descPath) || !forms::FitsLineCount(FHost->Sprav().LineCount(), *name)) {
        ui->eName->setFocus();
        return;
    }
    const bool added = FHost->Sprav().AddSinonimWithDesc(*name, descPath) != nullptr;
    FHost->RefreshNames(true);
    if (!added) {
        ui->eName->setText(typed);  // a refused name stays in the field to be corrected
    }
    FHost->eNameChange();
    ReadyForNextName();
}

// After a name is stored the next one is usually typed at once: the field keeps the focus, its text selected.
void TNamePanel::ReadyForNextName() {
    ui->eName->setFocus();
    ui->eName->selectAll();
}

void TNamePanel::bbEditSinonimClick() {
    FHost->SetModified();
    const QString typed = ui->eName->text();
    bool refused = false;
    const int row = SelectedRow();
    if (row >= 0) {
        const std::optional<std::string> name = forms::TakeTypedName(typed);
        const std::string descPath = platform::ToCp1251(FHost->DescriptionText()).value_or(std::string());
        if (!name || !FitsBookLine(*name, descPath)) {
            ui->eName->setFocus();
            return;
        }
        TSprav& sprav = FHost->Sprav();
        refused = sprav.ChangeSinonim(sprav.CurrentFile, row, *name, descPath) < 0;
    }
    FHost->RefreshNames(true);
    if (refused) {
        ui->eName->setText(typed);  // a refused name stays in the field to be corrected
    }
    FHost->eNameChange();
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
    FHost->SetModified();
    FHost->Sprav().DeleteSinonim(row);
    FHost->RefreshNames(true);
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
