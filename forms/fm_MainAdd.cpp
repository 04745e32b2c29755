#include "forms/fm_MainAdd.h"

#include <QApplication>
#include <QFocusEvent>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>

#include "core/BookLines.h"
#include "core/PrefixFile.h"
#include "forms/FormFont.h"
#include "document/BookTexts.h"
#include "forms/FormMessages.h"
#include "platform/Text.h"
#include "ui_fm_MainAdd.h"

TfmAddPrefSuff::TfmAddPrefSuff(QWidget* parent)
    : QDialog(parent), FUi(std::make_unique<Ui::TfmAddPrefSuff>()) {
    FUi->setupUi(this);
    Panel1 = FUi->Panel1;
    Label1 = FUi->Label1;
    rgRusLat = FUi->rgRusLat;
    edNamePreff = FUi->edNamePreff;
    bbOk = FUi->bbOk;
    bbCancel = FUi->bbCancel;
    pRusLat = FUi->pRusLat;

    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    UseDialogFont(this);
    setFixedSize(296, 85);
    connect(bbOk, &QPushButton::clicked, this, &TfmAddPrefSuff::accept);
    connect(bbCancel, &QPushButton::clicked, this, &TfmAddPrefSuff::reject);
    for (QWidget* child : findChildren<QWidget*>()) {
        child->installEventFilter(this);
    }
}

TfmAddPrefSuff::~TfmAddPrefSuff() = default;

void TfmAddPrefSuff::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (const QScreen* screen = this->screen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
    FormShow();
}

void TfmAddPrefSuff::FormShow() {
    edNamePreff->setFocus();
}

bool TfmAddPrefSuff::FormKeyPress(int key) {
    if (key == Qt::Key_Escape) {
        close();  // ends the dialog as Cancel does
        return true;
    }
    return false;
}

// Leaving the field empty is answered at once. Leaving it for the Cancel button is not: the user is going.
void TfmAddPrefSuff::edNamePreffExit() {
    if (!edNamePreff->text().isEmpty()) {
        return;
    }
    forms::Inform(QStringLiteral("Введите название Префикса"));
    edNamePreff->setFocus();
}

bool TfmAddPrefSuff::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress && FormKeyPress(static_cast<QKeyEvent*>(event)->key())) {
        return true;
    }
    if (watched == edNamePreff && event->type() == QEvent::FocusOut) {
        // Only a move to another control of this dialog leaves the field; switching windows does not.
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        const bool withinDialog = reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason ||
                                  reason == Qt::MouseFocusReason || reason == Qt::OtherFocusReason;
        QWidget* next = QApplication::focusWidget();
        if (withinDialog && next != bbCancel && (next == nullptr || isAncestorOf(next))) {
            edNamePreffExit();
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TfmAddPrefSuff::accept() {
    // A prefix is stored as Windows-1251 bytes, one a line: a character without such a byte, or a line
    // break, would not come back from the file as it was typed.
    // A control byte or an over-long line would make the saved file no prefix list for the reader.
    const std::optional<std::string> bytes = platform::ToCp1251(edNamePreff->text());
    if (!bytes) {
        forms::Inform(QStringLiteral(
            "Название префикса содержит символы, которые нельзя сохранить в файле префиксов."));
    } else if (book_lines::HasControlByte(*bytes)) {
        forms::Inform(document::ControlCharacterRefusal());
    } else if (bytes->size() > prefix_file::kMaxEntryLength) {
        forms::Inform(QStringLiteral("Префикс длиннее %1 символов: файл префиксов с ним не загрузится.")
                          .arg(prefix_file::kMaxEntryLength));
    } else {
        QDialog::accept();
        return;
    }
    edNamePreff->setFocus();
}
