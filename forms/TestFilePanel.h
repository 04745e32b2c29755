// The test files of the book: the list `lbFiles` with its popup menu, adding and deleting test files, and
// the habits users expect of such a list (the Delete key, files dropped from a file manager).
#pragma once

#include <QStringList>
#include <QWidget>

#include <cstddef>
#include <memory>
#include <string>

class QMenu;
class TPanelHost;

namespace Ui {
class TTestFilePanel;
}

class TTestFilePanel : public QWidget {
    Q_OBJECT

public:
    explicit TTestFilePanel(QWidget* parent = nullptr);
    ~TTestFilePanel() override;

    void Attach(TPanelHost& host);

    // Commands.
    void acAddFileExecute();
    void acDeleteFileExecute();
    // Adds test files as the add command does after its dialog; also the target of drops.
    void AddTestFiles(const QStringList& chosenPaths);

    // The rows, shown without running the click handler; the window's chain decides what follows.
    void ShowRows(const QStringList& rows);
    void SelectRow(int row);
    int SelectedRow() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool FitsBookLine(std::size_t position, const std::string& path) const;

    std::unique_ptr<Ui::TTestFilePanel> ui;
    TPanelHost* FHost = nullptr;
    QMenu* pmFile = nullptr;
};
