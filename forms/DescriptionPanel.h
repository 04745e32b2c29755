// The description-file panel `pInfoFile` under the name entry: the path of the chip's datasheet in
// `edFileInfo`, with the buttons that choose and open it.
#pragma once

#include <QString>
#include <QWidget>

#include <memory>

class TPanelHost;

namespace Ui {
class TDescriptionPanel;
}

class TDescriptionPanel : public QWidget {
    Q_OBJECT

public:
    explicit TDescriptionPanel(QWidget* parent = nullptr);
    ~TDescriptionPanel() override;

    void Attach(TPanelHost& host);

    // The path as shown, in <Desc>: form where it lies below the descriptions directory.
    QString Text() const;
    void ShowPath(const QString& shown);
    void Clear();

private:
    std::unique_ptr<Ui::TDescriptionPanel> ui;
    TPanelHost* FHost = nullptr;
};
