// The six values the editor keeps in the settings store of the current user (on Windows the registry):
// three in its own key, three in the key it shares with the tester's main program; and, in its own key, the
// books it opened or saved last. Read once at start-up, written once at close.
#pragma once

#include <QString>

#include <array>
#include <cstddef>
#include <string>

// How many books the "Файл" menu lists as opened or saved last.
inline constexpr std::size_t kRecentBookCount = 8;

struct TSettingValues {
    std::string FileName;   // Software\QOR_Sprav: the book in use
    std::string FilePreff;  // the prefix file in use
    std::string FileSuff;   // kept for the other programs; the editor does not use it
    std::string DirQOR;     // Software\QOR_Main: the tester's folder, kept for the main program
    std::string DirTests;   // the tests directory behind <Tests>:
    std::string DirPDF;     // the descriptions directory behind <Desc>:
    // Software\QOR_Sprav "Recent1" to "Recent8": the books opened or saved last, newest first; an empty
    // slot holds none. The other programs of the family read none of them.
    std::array<std::string, kRecentBookCount> Recent;
};

class TMainSettings {
public:
    // Reads the values. A missing key is created with the family's three values empty (the recent books
    // wait for the close); a key that exists is not changed here. A store that cannot be read at all (its
    // file is a pipe, a device, too large...) leaves a notice to show once: the values come back empty, and
    // Write leaves that store as it is.
    TSettingValues Read();
    // The values as they stand, read without creating or changing anything and without a notice: for what
    // may be done before the window reads them (TBookReadAhead).
    static TSettingValues Peek();
    // Why the store could not be read; empty when it was.
    const QString& Notice() const { return FNotice; }
    // Writes every value, changed or not, except one that another program stored in another form and the
    // editor did not change. A recent slot without a book is written empty: the store has no deletion (no
    // program of the family ever deletes a value), a missing value reads as empty anyway, and so the slots
    // a shorter list no longer fills never bring back a book dropped from it. False when a write did not
    // reach the store.
    bool Write(const TSettingValues& values);

private:
    // The values as read at start-up, so that a value another program stored in another form is left alone
    // unless the editor changed it.
    TSettingValues FStart;
    bool FUnread = false;
    QString FNotice;
};
