// The open book as the window and its panels share it: the model, the two service directories its paths
// are shown and stored against, and the list models of its test files and of the current test file's
// analogs. The window owns it; the panels change the model through it and show its lists.
#pragma once

#include <QObject>

#include <string>

#include "core/Sprav.h"
#include "core/SpravFile.h"
#include "forms/BookHistory.h"
#include "forms/BookLists.h"

class TBook : public QObject, private TSpravListener {
    Q_OBJECT

public:
    explicit TBook(QObject* parent = nullptr);
    ~TBook() override;

    TSprav& Sprav() { return FSprav; }
    const TSprav& Sprav() const { return FSprav; }
    TFileListModel& FileList() { return FFileList; }
    TNameListModel& NameList() { return FNameList; }
    const TNameListModel& NameList() const { return FNameList; }
    TBookHistory& History() { return FHistory; }

    // The directories behind the <Tests>: and <Desc>: tokens, exactly as stored.
    const std::string& DirTests() const { return FDirs.Tests; }
    const std::string& DirPDF() const { return FDirs.Desc; }
    const ServiceDirectories& Directories() const { return FDirs; }
    void SetDirectories(const std::string& tests, const std::string& pdf);

signals:
    // The entries of the book or its directories have changed: whatever was found in them before may no
    // longer hold.
    void Changed();

private:
    void FilesInserted() override { emit Changed(); }
    void FilesRemoved() override { emit Changed(); }
    void SinonimsInserted(const TSpravFile&) override { emit Changed(); }
    void SinonimsRemoved(const TSpravFile&) override { emit Changed(); }
    void SinonimChanged(const TSpravFile&, int) override { emit Changed(); }
    void BookReset() override { emit Changed(); }

    TSprav FSprav;
    ServiceDirectories FDirs;
    TFileListModel FFileList;
    TNameListModel FNameList;
    TBookHistory FHistory;
};
