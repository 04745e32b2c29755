// The comment panel `pTestInfo` under the test-file list: the free-text comment of the current test file,
// kept in a text file beside the test file.
#pragma once

#include <QWidget>

#include <memory>

class TPanelHost;

namespace Ui {
class TCommentPanel;
}

class TCommentPanel : public QWidget {
    Q_OBJECT

public:
    explicit TCommentPanel(QWidget* parent = nullptr);
    ~TCommentPanel() override;

    void Attach(TPanelHost& host);

    // The comment of the (new) current test file; a step of the test-file click.
    void LoadTestComment();

private:
    std::unique_ptr<Ui::TCommentPanel> ui;
    TPanelHost* FHost = nullptr;
};
