#include "forms/CollapsibleTitle.h"

#include <QMouseEvent>
#include <QWidget>

#include <utility>

TCollapsibleTitle::TCollapsibleTitle(QWidget* title, QWidget* body, QWidget* upImage, QWidget* downImage,
                                     std::function<void()> onClick)
    : QObject(title),
      FTitle(title),
      FBody(body),
      FUp(upImage),
      FDown(downImage),
      FOnClick(std::move(onClick)) {
    FTitle->installEventFilter(this);
}

void TCollapsibleTitle::Toggle() {
    FBody->setVisible(FBody->isHidden());
    FUp->setVisible(FBody->isHidden());
    FDown->setVisible(FUp->isHidden());
}

bool TCollapsibleTitle::eventFilter(QObject* watched, QEvent* event) {
    if (watched == FTitle && event->type() == QEvent::MouseButtonRelease) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::LeftButton && FTitle->rect().contains(mouse->position().toPoint())) {
            FOnClick();
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}
