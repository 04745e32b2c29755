// A one-line text field with a small button at its right end that opens the folder-selection dialog and
// puts the chosen folder into the field. The text is the value; typing is allowed and nothing checks it here.
#pragma once

#include <QLineEdit>
#include <QString>

#include <functional>

class QToolButton;

class DirectoryEdit : public QLineEdit {
    Q_OBJECT

public:
    explicit DirectoryEdit(QWidget* parent = nullptr);

    // Title of the folder-selection dialog.
    void SetDialogTitle(const QString& title) { FDialogTitle = title; }
    // Asked before a chosen folder is put into the field; false leaves the field as it was.
    void SetFolderCheck(std::function<bool(const QString&)> check) { FFolderCheck = std::move(check); }

    QToolButton* Button() const { return FButton; }

    // What the button does: ask for a folder, starting from the one in the field.
    void ChooseFolder();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QToolButton* FButton;
    QString FDialogTitle;
    std::function<bool(const QString&)> FFolderCheck;
};
