// The application object of the editor: whatever a handler throws is reported in the application's error
// box, and the editor goes on with its window and its book as they are, so that unsaved work can still be
// saved.
#pragma once

#include <QApplication>
#include <QString>

#include <exception>

class TApplication final : public QApplication {
public:
    using QApplication::QApplication;

    bool notify(QObject* receiver, QEvent* event) override;

    // The error box for a command that failed while the editor goes on.
    static QString CommandFailureText(const QString& exceptionText);
    static void ShowException(const QString& text);
};
