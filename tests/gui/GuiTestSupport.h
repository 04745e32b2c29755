// What the GUI suites share: one QApplication for the whole program, and driving a dialog while it is modal.
#pragma once

#include <QWidget>

#include <functional>

namespace gui_test {

// Runs `step` on the active modal widget as soon as the dialog's own event loop is running. A step that
// finds no modal widget within a second fails the test and the modal widget, if any, is left to the caller.
void WhenModal(std::function<void(QWidget*)> step);

}  // namespace gui_test
