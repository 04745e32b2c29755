// The title bar of a collapsible panel (the comment and description panels): a click anywhere on it opens
// or closes the panel's body, and its arrow images show which way the next click goes. The images pass
// their clicks up to the title bar; buttons on it keep their own.
#pragma once

#include <QObject>

#include <functional>

class QWidget;

class TCollapsibleTitle : public QObject {
public:
    // `onClick` is the panel's click handler; it runs Toggle.
    TCollapsibleTitle(QWidget* title, QWidget* body, QWidget* upImage, QWidget* downImage,
                      std::function<void()> onClick);

    // Opens a closed body, closes an open one.
    void Toggle();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* FTitle;
    QWidget* FBody;
    QWidget* FUp;
    QWidget* FDown;
    std::function<void()> FOnClick;
};
