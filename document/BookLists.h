// The book's lists as the window's list views show them: the test files of the book, and the analogs of
// its current test file. Each model follows the book as it changes, row by row, so that the views never
// need to be filled again; a whole new book (a load, New) comes as one reset.
#pragma once

#include <QAbstractListModel>
#include <QHash>
#include <QString>

#include <string>

#include "core/Sprav.h"

namespace document {

// A chip name as the lookups compare it: decoded, with letter case folded (Cyrillic letters included).
QString FoldedName(const std::string& name);

}  // namespace document

// One row per test file of the book, in book order, showing its path in <Tests>: form.
class TFileListModel : public QAbstractListModel, private TSpravListener {
    Q_OBJECT

public:
    explicit TFileListModel(TSprav& sprav, QObject* parent = nullptr);
    ~TFileListModel() override;

    // The tests directory behind the <Tests>: token: every row shows anew.
    void SetDirTests(const std::string& dirTests);

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

private:
    void FilesAboutToBeInserted(int first, int last) override;
    void FilesInserted() override;
    void FilesAboutToBeRemoved(int first, int last) override;
    void FilesRemoved() override;
    void BookAboutToBeReset() override;
    void BookReset() override;

    TSprav& FSprav;
    std::string FDirTests;
};

// One row per analog of the book's current test file, in list order, showing its name as stored; no rows
// while no test file is current. It follows the current test file as the book changes it.
class TNameListModel : public QAbstractListModel, private TSpravListener {
    Q_OBJECT

public:
    explicit TNameListModel(TSprav& sprav, QObject* parent = nullptr);
    ~TNameListModel() override;

    // The test file whose analogs are the rows; none while no test file is current.
    const TSpravFile* File() const { return FFile; }
    // The first row whose name equals `name` with letter case ignored; -1 when there is none. Each typed
    // character asks this for the name and for every prefixed form of it, so it is a hash lookup; the hash
    // is built on the first question after the rows changed other than at their end.
    int FindName(const QString& name) const;
    // The lookup as it stands: each folded name with its first row. A copy, which later changes of the rows
    // leave as it is.
    QHash<QString, int> Lookup() const;

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

private:
    void BuildLookup() const;
    void Show(const TSpravFile* file);
    void SinonimsAboutToBeInserted(const TSpravFile& file, int first, int last) override;
    void SinonimsInserted(const TSpravFile& file) override;
    void SinonimsAboutToBeRemoved(const TSpravFile& file, int first, int last) override;
    void SinonimsRemoved(const TSpravFile& file) override;
    void SinonimChanged(const TSpravFile& file, int position) override;
    void BookAboutToBeReset() override;
    void BookReset() override;
    void CurrentFileChanged() override;

    TSprav& FSprav;
    const TSpravFile* FFile = nullptr;
    // Rows being inserted at the end: the lookup takes them in without being built anew.
    int FAppendedFrom = -1;
    // Each folded name with the first row that holds it; valid only while FLookupValid.
    mutable QHash<QString, int> FFirstRow;
    mutable bool FLookupValid = false;
};
