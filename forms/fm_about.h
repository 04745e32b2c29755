// The about box: the program's identity from its version record, and the links to its makers.
#pragma once

#include <QDialog>

#include <memory>

class QLabel;
class QPushButton;

namespace Ui {
class TfmAboutBox;
}

class TfmAboutBox : public QDialog {
    Q_OBJECT

public:
    explicit TfmAboutBox(QWidget* parent = nullptr);
    ~TfmAboutBox() override;

    QPushButton* OKButton;
    QLabel* ProductName;
    QLabel* Version;
    QLabel* lbLegal;
    QLabel* lbemail;
    QLabel* lb2;
    QLabel* lb1;
    QLabel* lbsupport;

    void OKButtonClick();
    void FormCreate();
    void lbsupportClick(QLabel* sender);
    void ProductNameMouseMove(QObject* sender);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void SetUpLook();
    void PlaceLinks();
    void RouteMouseEvents(QWidget* widget);

    std::unique_ptr<Ui::TfmAboutBox> FUi;
};
