// The six values the editor keeps in the settings store of the current user (on Windows the registry):
// three in its own key, three in the key it shares with the tester's main program. Read once at start-up,
// written once at close.
#pragma once

#include <string>

struct TSettingValues {
    std::string FileName;   // Software\QOR_Sprav: the book in use
    std::string FilePreff;  // the prefix file in use
    std::string FileSuff;   // kept for the other programs; the editor does not use it
    std::string DirQOR;     // Software\QOR_Main: the tester's folder, kept for the main program
    std::string DirTests;   // the tests directory behind <Tests>:
    std::string DirPDF;     // the descriptions directory behind <Desc>:
};

class TMainSettings {
public:
    // Reads the six values. A missing key is created with its values empty; a key that exists is not
    // changed here. A store that cannot be read at all (its file is a pipe, a device, too large...) is said
    // once in a box: the values come back empty, and Write leaves that store as it is.
    TSettingValues Read();
    // Writes all six values, changed or not, except one that another program stored in another form and
    // the editor did not change. False when a write did not reach the store.
    bool Write(const TSettingValues& values);

private:
    // The values as read at start-up, so that a value another program stored in another form is left alone
    // unless the editor changed it.
    TSettingValues FStart;
    bool FUnread = false;
};
