// A window program's standard handles are what its parent passed: a file or a pipe when the output is
// redirected, nothing when it is started from a console without redirection. Then the console of the
// parent (cmd.exe, PowerShell) is attached and written to directly. No Qt here: the system layer builds
// without the toolkit.
#include <windows.h>

#include <algorithm>
#include <string>

#include "platform/Console.h"
#include "platform/ConsoleText.h"

namespace platform {

namespace {

// Where one stream goes: a console, written as Unicode; a file or pipe, written as bytes; or nowhere.
struct Target {
    HANDLE Handle = nullptr;
    bool Console = false;
};

struct Streams {
    Target Output;
    Target Error;
    UINT CodePage = CP_OEMCP;
};

bool IsConsole(HANDLE handle) {
    DWORD mode = 0;
    return GetConsoleMode(handle, &mode) != 0;
}

bool IsGiven(HANDLE handle) {
    return handle != nullptr && handle != INVALID_HANDLE_VALUE && GetFileType(handle) != FILE_TYPE_UNKNOWN;
}

Streams Connect() {
    // Taken before attaching: attaching may put the console's own handles in their place.
    const HANDLE givenOutput = GetStdHandle(STD_OUTPUT_HANDLE);
    const HANDLE givenError = GetStdHandle(STD_ERROR_HANDLE);
    // Access denied: the process has a console already (a console build, a debugger's).
    const bool attached = AttachConsole(ATTACH_PARENT_PROCESS) != 0 || GetLastError() == ERROR_ACCESS_DENIED;
    HANDLE console = INVALID_HANDLE_VALUE;
    if (attached) {
        console = CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    }
    auto target = [console](HANDLE given) -> Target {
        if (IsGiven(given)) {
            return {given, IsConsole(given)};
        }
        if (console != INVALID_HANDLE_VALUE) {
            return {console, true};
        }
        return {};
    };
    Streams streams{target(givenOutput), target(givenError)};
    // The code page a user's console programs (findstr, more, type) read a redirected file in.
    const UINT consolePage = GetConsoleOutputCP();
    streams.CodePage = consolePage != 0 ? consolePage : GetOEMCP();
    return streams;
}

void WriteToConsole(HANDLE handle, const std::wstring& text) {
    // In pieces: older consoles refuse a single large write.
    constexpr std::size_t kPiece = 8192;
    for (std::size_t done = 0; done < text.size();) {
        const auto count = static_cast<DWORD>(std::min(kPiece, text.size() - done));
        DWORD written = 0;
        if (!WriteConsoleW(handle, text.data() + done, count, &written, nullptr) || written == 0) {
            return;
        }
        done += written;
    }
}

void WriteBytes(HANDLE handle, UINT codePage, const std::wstring& text) {
    if (text.empty()) {
        return;
    }
    const int length = static_cast<int>(text.size());
    const int size = WideCharToMultiByte(codePage, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
    if (size <= 0) {
        return;
    }
    std::string bytes(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(codePage, 0, text.data(), length, bytes.data(), size, nullptr, nullptr);
    for (std::size_t done = 0; done < bytes.size();) {
        DWORD written = 0;
        if (!WriteFile(handle, bytes.data() + done, static_cast<DWORD>(bytes.size() - done), &written,
                       nullptr) ||
            written == 0) {
            return;
        }
        done += written;
    }
}

}  // namespace

HoldsCharacter CodePageHolds(unsigned int codePage) {
    return [codePage](char16_t c) {
        // UTF-8 holds everything, and takes no question about default characters.
        if (codePage == CP_UTF8) {
            return true;
        }
        const wchar_t wide = static_cast<wchar_t>(c);
        char bytes[8];
        BOOL usedDefault = FALSE;
        const int size = WideCharToMultiByte(codePage, WC_NO_BEST_FIT_CHARS, &wide, 1, bytes,
                                             static_cast<int>(sizeof bytes), nullptr, &usedDefault);
        // A code page that takes no such question is left to write the character its own way.
        return size == 0 || !usedDefault;
    };
}

void Print(ConsoleStream stream, std::u16string_view text) {
    static const Streams streams = Connect();
    const Target& target = stream == ConsoleStream::Output ? streams.Output : streams.Error;
    if (target.Handle == nullptr) {
        return;
    }
    // The console shows, and a file or pipe is read back, in the console's code page: a mark it lacks is
    // written plainly rather than as the system's nearest character ("…" would read ":").
    static const HoldsCharacter holds = CodePageHolds(streams.CodePage);
    const std::u16string plain = WithPlainMarks(text, holds);
    std::wstring lines;
    lines.reserve(plain.size() + plain.size() / 32);
    for (const char16_t c : plain) {
        if (c == u'\n') {
            lines.push_back(L'\r');
        }
        lines.push_back(static_cast<wchar_t>(c));
    }
    if (target.Console) {
        WriteToConsole(target.Handle, lines);
    } else {
        WriteBytes(target.Handle, streams.CodePage, lines);
    }
}

}  // namespace platform
