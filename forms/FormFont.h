// The dialogs' design font, "MS Sans Serif" at 11 pixels. It exists only on Windows; elsewhere the family
// is not found and Qt picks its sans face at the same size.
#pragma once

#include <QWidget>

inline void UseDialogFont(QWidget* form) {
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(11);
    form->setFont(font);
}
