#include "forms/Application.h"

#include "document/BookTexts.h"
#include "platform/Dialogs.h"


// The event that failed is dropped; the window and the book stay as the handler left them. Ending the
// program here would lose every unsaved change for the sake of one command.
bool TApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& error) {
        ShowException(CommandFailureText(document::ExceptionText(error)));
    } catch (...) {
        ShowException(CommandFailureText(document::UnknownExceptionText()));
    }
    return false;
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
