// The dialog that edits the two service directories: the tests directory behind "<Tests>:" and the
// descriptions directory behind "<Desc>:". It edits texts only; the caller decides what to do with them.
#pragma once

#include <QDialog>

#include <memory>
#include <string>

class DirectoryEdit;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace Ui {
class TfmDir;
}

class TfmDir : public QDialog {
    Q_OBJECT

public:
    explicit TfmDir(QWidget* parent = nullptr);
    ~TfmDir() override;

    // The components, in the order the form declares them.
    QGroupBox* GroupBox1;
    QLineEdit* edTestDir1;
    QLineEdit* edPDFDir2;
    QPushButton* bbLoadTestDir;
    QPushButton* bbLoadPDFDir;
    QPushButton* bbCancel;
    QPushButton* bbOk;
    QLabel* Label1;
    QLabel* Label2;
    QLabel* Label3;
    QLabel* Label4;
    DirectoryEdit* edTestDir;
    DirectoryEdit* edPDFDir;

    // OK only when both texts can be stored; otherwise the refusal box and the dialog stays open.
    void accept() override;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void SetUpFonts();
    void FollowWidth(int width);

    std::unique_ptr<Ui::TfmDir> FUi;
};

// Runs the dialog on the two directories (Windows-1251 bytes). OK takes both texts and gives true; anything
// else changes nothing and gives false.
bool RunDirDialog(QWidget* parent, std::string& dirTests, std::string& dirPDF);
