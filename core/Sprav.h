// The one open reference book in memory: its test files, the chip names (analogs) of each, and the
// current selection. Strings are Windows-1251 bytes exactly as the user typed or the book file held them.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

// One analog: a chip name and the path of its description file (full, token form, or empty).
struct TSpravSinonim {
    std::string Name;
    std::string DescPath;
};

// One test file of the book with the analogs its test covers, in insertion order.
struct TSpravFile {
    std::string Path;
    std::vector<std::unique_ptr<TSpravSinonim>> Sinonims;
};

// Told of every change to the book's lists as it happens, so that views of them (the window's lists) can
// follow row by row instead of being built anew. "About to" comes before the entries change, the other
// call after; positions are those of the list before a removal and after an insertion. The default for
// each call is to do nothing.
class TSpravListener {
public:
    virtual void FilesAboutToBeInserted(int /*first*/, int /*last*/) {}
    virtual void FilesInserted() {}
    virtual void FilesAboutToBeRemoved(int /*first*/, int /*last*/) {}
    virtual void FilesRemoved() {}
    virtual void SinonimsAboutToBeInserted(const TSpravFile& /*file*/, int /*first*/, int /*last*/) {}
    virtual void SinonimsInserted(const TSpravFile& /*file*/) {}
    virtual void SinonimsAboutToBeRemoved(const TSpravFile& /*file*/, int /*first*/, int /*last*/) {}
    virtual void SinonimsRemoved(const TSpravFile& /*file*/) {}
    virtual void SinonimAboutToBeChanged(const TSpravFile& /*file*/, int /*position*/) {}
    virtual void SinonimChanged(const TSpravFile& /*file*/, int /*position*/) {}
    // The whole book changes at once (emptied, or read from a file): the lists are to be taken anew.
    virtual void BookAboutToBeReset() {}
    virtual void BookReset() {}
    // CurrentFile now points at another entry, or at none.
    virtual void CurrentFileChanged() {}

protected:
    ~TSpravListener() = default;
};

class TSprav {
public:
    TSprav() = default;
    TSprav(const TSprav&) = delete;
    TSprav& operator=(const TSprav&) = delete;
    virtual ~TSprav() = default;

    // Position of the current analog in the current test file's list; -1 = none. May be stale after a delete.
    int CurrentSinonimIndex = -1;

    std::vector<std::unique_ptr<TSpravFile>> Files;
    TSpravFile* CurrentFile = nullptr;

    // Refusals are shown by the model itself through this hook (text in UTF-8); the owner installs it.
    std::function<void(const std::string&)> OnMessage;

    int CurrentFileIndex() const { return FCurrentFileIndex; }
    // The lines the book file gives the book: one per test file and one per analog.
    std::size_t LineCount() const;

    void SetCurrentFile(int position);
    void AddTestFile(std::string path);
    void DeleteTestFile(int position);

    TSpravSinonim* GetSinonim(const TSpravFile* file, int position) const;
    TSpravSinonim* AddFileSinonim(TSpravFile* file, std::string name);
    TSpravSinonim* AddSinonim(std::string name);
    TSpravSinonim* AddSinonimWithDesc(std::string name, std::string descPath);
    int ChangeSinonim(TSpravFile* file, int position, const std::string& name, const std::string& descPath);
    void DeleteSinonim(int position);

    void ClearAll();

    // Takes away the analogs of `file` at `positions` (ascending, each within the list) in one pass, in
    // time in proportion to the analogs, and gives them back in that order. The current analog's position
    // is left as it is.
    std::vector<std::unique_ptr<TSpravSinonim>> RemoveSinonims(TSpravFile& file,
                                                               const std::vector<int>& positions);

    // What undo and redo need: each puts back exactly what its counterpart took, at the same position.
    // The current test file stays the one it was, unless it is the one taken away; no message is shown.
    void InsertTestFile(int position, std::unique_ptr<TSpravFile> file);
    std::unique_ptr<TSpravFile> TakeTestFile(int position);
    void InsertSinonims(TSpravFile& file, int position, std::vector<std::unique_ptr<TSpravSinonim>> entries);
    void SetSinonim(TSpravFile& file, int position, std::string name, std::string descPath);

    // Makes a change to the whole book (emptying it, reading a book file into it) and tells the listeners
    // once, as a reset, rather than entry by entry.
    void Rebuild(const std::function<void(TSprav&)>& change);

    // Listeners are not owned; each stays registered until removed.
    void AddListener(TSpravListener* listener);
    void RemoveListener(TSpravListener* listener);

private:
    void ShowMessage(const char* utf8Text) const;
    TSpravSinonim* AppendSinonim(TSpravFile* file, std::string name, std::string descPath);
    void SetCurrent(TSpravFile* file, int position);
    template <class Call>
    void Tell(Call call) const;

    int FCurrentFileIndex = -1;
    std::vector<TSpravListener*> FListeners;
    // Within Rebuild: the listeners hear of the whole change once, at its end.
    bool FResetting = false;
};

// True when the book file can hold the name and give it back unchanged: it must not begin with a space
// (that marks a test-file line), nor hold "|" (the name/description separator), a line break or any other
// byte below 0x20.
bool IsStorableSinonimName(std::string_view name);

namespace sprav_messages {
inline constexpr const char* kEmptyBook = "Список файлов пуст. Сначала необходимо добавить файл.";
inline constexpr const char* kNoCurrentFile = "Выберите файл.";
inline constexpr const char* kUnstorableName =
    "Название микросхемы не может начинаться с пробела, содержать символ «|» или управляющие символы "
    "(перевод строки, табуляцию и т. п.).";
}  // namespace sprav_messages
