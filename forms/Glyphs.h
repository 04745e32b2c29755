// The glyphs of buttons and actions: the style's standard icons, made when first drawn. The style reads
// every size of a standard icon from its images (and looks in the icon theme) the moment it is asked for
// one, so a window that set thirty glyphs at construction spent most of its start decoding images for menus
// and panels that were not on screen yet. A glyph here is made on first use and once per process, and one
// that the style draws from its own images reads only the image of the size drawn.
#pragma once

#include <QIcon>
#include <QWidget>

#include <functional>
#include <QLabel>
#include <QString>
#include <QStyle>

// The style's icon `which`.
QIcon Glyph(QStyle::StandardPixmap which);
// The icon theme's `themeName` where the theme has it, else the style's `fallback`.
QIcon Glyph(const QString& themeName, QStyle::StandardPixmap fallback);
// Runs `action` when `widget` is first shown, before it is drawn: for what only a widget on screen needs,
// so that a start does not pay for panels that stay hidden.
void OnFirstShow(QWidget* widget, std::function<void()> action);

// Gives `label` the style's icon `which` at `size` pixels square when the label is first shown (an image
// label of a fixed size, so that nothing moves when it comes).
void SetGlyphPixmap(QLabel* label, QStyle::StandardPixmap which, int size);
