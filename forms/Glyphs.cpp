#include "forms/Glyphs.h"

#include <QApplication>
#include <QEvent>
#include <QHash>
#include <QIconEngine>
#include <QPainter>
#include <QPointer>

namespace {

// The icons made so far, by theme name and standard pixmap, for the style they were made with; a change of
// style starts afresh.
QIcon MadeGlyph(const QString& themeName, QStyle::StandardPixmap which) {
    static QPointer<QStyle> madeWith;
    static QHash<QString, QIcon> made;
    QStyle* style = QApplication::style();
    if (madeWith != style) {
        made.clear();
        madeWith = style;
    }
    const QString key = themeName + QLatin1Char('/') + QString::number(which);
    auto found = made.constFind(key);
    if (found == made.constEnd()) {
        const QIcon standard = style->standardIcon(which);
        found = made.insert(key, themeName.isEmpty() ? standard : QIcon::fromTheme(themeName, standard));
    }
    return *found;
}

// Stands for the icon until something needs its pixels or sizes.
class TGlyphEngine final : public QIconEngine {
public:
    TGlyphEngine(QString themeName, QStyle::StandardPixmap which) : FThemeName(std::move(themeName)), FWhich(which) {}

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override {
        Icon().paint(painter, rect, Qt::AlignCenter, mode, state);
    }
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        return Icon().pixmap(size, mode, state);
    }
    QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State state, qreal scale) override {
        return Icon().pixmap(size, scale, mode, state);
    }
    QSize actualSize(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        return Icon().actualSize(size, mode, state);
    }
    QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override {
        return Icon().availableSizes(mode, state);
    }
    QString iconName() override { return Icon().name(); }
    // A standard icon always has pixels (the style draws one where a theme has none); answering without
    // making it keeps QAction and the buttons, which ask at once, from making every glyph at construction.
    bool isNull() override { return false; }
    QString key() const override { return QStringLiteral("QorGlyph"); }
    QIconEngine* clone() const override { return new TGlyphEngine(FThemeName, FWhich); }

private:
    QIcon Icon() const { return MadeGlyph(FThemeName, FWhich); }

    QString FThemeName;
    QStyle::StandardPixmap FWhich;
};

// Runs its action at the widget's first Show, then goes.
class TFirstShow final : public QObject {
public:
    TFirstShow(QWidget* widget, std::function<void()> action)
        : QObject(widget), FWidget(widget), FAction(std::move(action)) {
        widget->installEventFilter(this);
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == FWidget && event->type() == QEvent::Show) {
            FWidget->removeEventFilter(this);
            FAction();
            deleteLater();
        }
        return false;
    }

private:
    QWidget* FWidget;
    std::function<void()> FAction;
};

}  // namespace

QIcon Glyph(QStyle::StandardPixmap which) {
    return QIcon(new TGlyphEngine(QString(), which));
}

QIcon Glyph(const QString& themeName, QStyle::StandardPixmap fallback) {
    return QIcon(new TGlyphEngine(themeName, fallback));
}

void OnFirstShow(QWidget* widget, std::function<void()> action) {
    new TFirstShow(widget, std::move(action));
}

void SetGlyphPixmap(QLabel* label, QStyle::StandardPixmap which, int size) {
    OnFirstShow(label, [label, which, size] { label->setPixmap(Glyph(which).pixmap(size, size)); });
}
