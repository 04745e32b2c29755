// The dialog that asks for the name of a new prefix (and, once, of a suffix: its maker choice is never
// shown now). It edits one text; the caller appends it to the prefix list.
#pragma once

#include <QDialog>

#include <memory>

class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace Ui {
class TfmAddPrefSuff;
}

class TfmAddPrefSuff : public QDialog {
    Q_OBJECT

public:
    explicit TfmAddPrefSuff(QWidget* parent = nullptr);
    ~TfmAddPrefSuff() override;

    // The components, in the order the form declares them.
    QFrame* Panel1;
    QLabel* Label1;
    QGroupBox* rgRusLat;
    QLineEdit* edNamePreff;
    QPushButton* bbOk;
    QPushButton* bbCancel;
    QFrame* pRusLat;

    // OK only for a text that the prefix file can hold; otherwise a box and the dialog stays open.
    void accept() override;

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FormShow();
    // Every key of the dialog passes here first; true when it was taken.
    bool FormKeyPress(int key);
    void edNamePreffExit();

    std::unique_ptr<Ui::TfmAddPrefSuff> FUi;
};
