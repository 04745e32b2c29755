// The desktop of a benchmark: the open dialog answers with one book, every question with No, and no box
// waits for anyone.
#pragma once

#include "platform/Dialogs.h"

class BenchDialogs final : public platform::Dialogs {
public:
    QString Book;
    void Information(const QString&) override {}
    platform::MessageAnswer MessageBox(const QString&, const QString&, platform::MessageIcon,
                                       platform::MessageButtons) override {
        return platform::MessageAnswer::No;
    }
    void ErrorReport(const QString&) override {}

private:
    std::optional<QString> ShowOpenFile(QWidget*, const platform::FileDialogOptions&) override {
        return Book;
    }
    std::optional<QStringList> ShowOpenFiles(QWidget*, const platform::FileDialogOptions&) override {
        return {};
    }
    std::optional<QString> ShowSaveFile(QWidget*, const platform::FileDialogOptions&) override { return {}; }
    std::optional<QString> ShowChooseFolder(QWidget*, const QString&, const QString&) override { return {}; }
};
