// The about box, and the reader of the executable's version record that gives the program its identity
// (the application title, the about box's texts).
#pragma once

#include "VersionInfo.h"

#include <QDialog>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class QLabel;
class QPushButton;

namespace Ui {
class TfmAboutBox;
}

// Reads the version record of one file once, at construction; values are asked for by name.
class TVersionInfo {
public:
    explicit TVersionInfo(std::string_view path);
    TVersionInfo(const TVersionInfo&) = delete;
    TVersionInfo& operator=(const TVersionInfo&) = delete;
    ~TVersionInfo() = default;

    std::string SourcePath;  // the file whose record is read (stored path, Windows-1251)
    bool HasRecord = false;  // the record was read completely
    platform::VersionDword RecordSize = 0;
    std::unique_ptr<std::uint8_t[]> RecordData;
    platform::VersionDword InfoHandle = 0;

    // Reads the record; an allocation failure leaves HasRecord false and goes on to the caller.
    void LoadRecord();
    // The first translation entry: language in the low 16 bits, code page in the high 16 bits.
    std::optional<std::uint32_t> FirstTranslation() const;
    // "041904E3" for language 0x0419 with code page 0x04E3; empty without a translation entry.
    std::string LanguageKey() const;
    // The value under "\StringFileInfo\<LanguageKey>\<name>" as Windows-1251 bytes; empty when missing.
    std::string StringValue(std::string_view name) const;
};

// A value of the running executable's own record, read anew on every call; empty when absent.
std::string VersionString(std::string_view name);
// The program's description ("FileDescription"): the application title.
std::string VersionDescription();
// The help file: the executable's path with the extension ".chm".
std::string HelpFilePath();
// Where help is looked for, in order: the help file above, the user guide beside the executable (its name
// with ".html"), and on systems that keep data apart from programs the guide installed under share/.
std::vector<std::string> HelpCandidates(const std::string& exePath);
// The first candidate that exists; empty when none does.
std::string FindHelpFile(const std::vector<std::string>& candidates);

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
