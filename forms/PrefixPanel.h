// The prefix panel `paPref`: the list of manufacturer prefixes `clbPref`, whose marks show which prefixed
// forms of the typed chip name the current test file holds.
#pragma once

#include <QWidget>

#include <memory>
#include <string>

class QMenu;
class TPanelHost;

namespace Ui {
class TPrefixPanel;
}

class TPrefixPanel : public QWidget {
    Q_OBJECT

public:
    explicit TPrefixPanel(QWidget* parent = nullptr);
    ~TPrefixPanel() override;

    void Attach(TPanelHost& host);

    // Marks each prefix whose prefixed form of the typed name is listed, letter case ignored.
    void UpdatePrefChecks();
    // The list takes marks only while the typed name may be added.
    void SetListEnabled(bool enabled);
    // Replaces the list by the lines of a prefix file; used at start-up.
    void LoadPrefixFile(const std::string& path);

private:
    std::unique_ptr<Ui::TPrefixPanel> ui;
    TPanelHost* FHost = nullptr;
    QMenu* pmPref = nullptr;
};
