#include "forms/DirectoryEdit.h"

#include "platform/Dialogs.h"
#include "platform/Paths.h"
#include "platform/Text.h"

#include <QKeyEvent>
#include <QStyle>
#include <QToolButton>

DirectoryEdit::DirectoryEdit(QWidget* parent) : QLineEdit(parent), FButton(new QToolButton(this)) {
    FButton->setObjectName(QStringLiteral("FolderButton"));
    FButton->setText(QStringLiteral("…"));
    FButton->setCursor(Qt::ArrowCursor);
    FButton->setFocusPolicy(Qt::NoFocus);
    FButton->setToolTip(QStringLiteral("Выбрать папку (Alt+Вниз)"));
    connect(FButton, &QToolButton::clicked, this, &DirectoryEdit::ChooseFolder);
}

void DirectoryEdit::resizeEvent(QResizeEvent* event) {
    QLineEdit::resizeEvent(event);
    // The button sits inside the frame at the right end; the text stops short of it.
    const int frame = 2;
    const int side = height() - 2 * frame;
    FButton->setGeometry(width() - frame - side, frame, side, side);
    setTextMargins(0, 0, side, 0);
}

// The button takes no focus, so the keyboard reaches it as a combo box's list is reached: Alt+Down or F4.
void DirectoryEdit::keyPressEvent(QKeyEvent* event) {
    const bool altDown = event->key() == Qt::Key_Down && event->modifiers() == Qt::AltModifier;
    if (altDown || (event->key() == Qt::Key_F4 && event->modifiers() == Qt::NoModifier)) {
        ChooseFolder();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

void DirectoryEdit::ChooseFolder() {
    // The field holds a stored path (on Linux it may use "\"); the dialog wants one the OS understands.
    QString initial;
    if (const auto stored = platform::ToCp1251(text())) {
        initial = platform::ToOsPathText(*stored);
    }
    const auto folder = platform::CurrentDialogs().ChooseFolder(window(), FDialogTitle, initial);
    if (!folder || (FFolderCheck && !FFolderCheck(*folder))) {
        return;
    }
    setText(*folder);
}
