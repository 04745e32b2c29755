// The description-file panel `pInfoFile` under the name entry: the path of the chip's datasheet in
// `edFileInfo`, with the buttons that choose and open it.
#pragma once

#include <QString>
#include <QWidget>

#include <memory>
#include <string>

#include "platform/Dialogs.h"

class TBook;
class TCollapsibleTitle;

namespace Ui {
class TDescriptionPanel;
}

class TDescriptionPanel : public QWidget {
    Q_OBJECT

public:
    explicit TDescriptionPanel(QWidget* parent = nullptr);
    ~TDescriptionPanel() override;

    // The book whose descriptions directory the paths are shown and chosen against.
    void SetBook(TBook& book);

    // The path as shown, in <Desc>: form where it lies below the descriptions directory.
    QString Text() const;
    void ShowPath(const QString& shown);
    // A stored path (full, or in token form), shown in <Desc>: form.
    void ShowStoredPath(const std::string& path);
    void Clear();

    // Handlers.
    void pTitleInfoFileClick();
    void bbLoadFileInfoClick();
    void acSeeFileInfoExecute();

signals:
    // The path shown has changed.
    void TextChanged(const QString& shown);
    // The user has chosen a description file (its full path as stored). Whoever owns the names decides
    // whether an analog takes it, and shows it with ShowStoredPath when the choice stands.
    void FileChosen(const std::string& path);

private:
    std::unique_ptr<Ui::TDescriptionPanel> ui;
    TCollapsibleTitle* FTitle = nullptr;
    TBook* FBook = nullptr;
    // The open dialog `odFileInfo`: one for the window's life, so that it opens where the last file was
    // chosen and proposes its name.
    platform::FileDialogOptions odFileInfo;
};
