// The forms' fonts. The dialogs' design font is "MS Sans Serif" at 11 pixels: it exists only on Windows;
// elsewhere the family is not found and Qt picks its sans face at the same size.
#pragma once

#include <QFont>
#include <QFontDatabase>
#include <QFontInfo>
#include <QWidget>

inline void UseDialogFont(QWidget* form) {
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(11);
    form->setFont(font);
}

// Courier New at `pixelSize` where the system has it, else the system's fixed-pitch face, else the first
// fixed-pitch face it has: the name alone is no promise, a machine without Courier New may resolve it to a
// proportional face, and a comment laid out in columns would lose them.
inline QFont FixedPitchFont(int pixelSize) {
    QFont font(QStringLiteral("Courier New"));
    font.setPixelSize(pixelSize);
    font.setStyleHint(QFont::Monospace);
    font.setFixedPitch(true);
    if (QFontInfo(font).fixedPitch()) {
        return font;
    }
    QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    fixed.setPixelSize(pixelSize);
    if (QFontInfo(fixed).fixedPitch()) {
        return fixed;
    }
    for (const QString& family : QFontDatabase::families()) {
        if (QFontDatabase::isFixedPitch(family)) {
            font.setFamily(family);
            break;
        }
    }
    return font;
}
