#include "forms/Application.h"

#include "platform/Dialogs.h"

#include <QStringDecoder>

// The event that failed is dropped; the window and the book stay as the handler left them. Ending the
// program here would lose every unsaved change for the sake of one command.
bool TApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& error) {
        ShowException(CommandFailureText(ExceptionText(error)));
    } catch (...) {
        ShowException(CommandFailureText(UnknownExceptionText()));
    }
    return false;
}

// Our own texts are UTF-8; the system's (a Windows error's, say) come in the ANSI code page, which on
// Linux is UTF-8 too.
QString TApplication::ExceptionText(const std::exception& error) {
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString text = utf8(QByteArrayView(error.what()));
    return utf8.hasError() ? QString::fromLocal8Bit(error.what()) : text;
}

QString TApplication::UnknownExceptionText() {
    return QStringLiteral("Неизвестная ошибка.");
}

QString TApplication::CommandFailureText(const QString& exceptionText) {
    return exceptionText +
           QStringLiteral(
               "\nКоманда не выполнена. Справочник остаётся открытым, несохранённые изменения "
               "можно сохранить.");
}

// A failure while the box itself is being shown (memory running out, for one) must not end the program
// either: the box is then left unshown.
void TApplication::ShowException(const QString& text) {
    try {
        platform::CurrentDialogs().ErrorReport(text);
    } catch (...) {
    }
}
