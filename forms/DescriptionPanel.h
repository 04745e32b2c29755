// The description-file panel `pInfoFile` under the name entry: the path of the chip's datasheet in
// `edFileInfo`, with the buttons that choose and open it.
#pragma once

#include <QString>
#include <QWidget>

#include <memory>

#include "platform/Dialogs.h"

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

    // Handlers.
    void pTitleInfoFileClick();
    void bbLoadFileInfoClick();
    void acSeeFileInfoExecute();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::unique_ptr<Ui::TDescriptionPanel> ui;
    TPanelHost* FHost = nullptr;
    // The open dialog `odFileInfo`: one for the window's life, so that it opens where the last file was
    // chosen and proposes its name.
    platform::FileDialogOptions odFileInfo;
};
