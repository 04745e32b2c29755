// The standard output and error of the command-line modes. On Windows the editor is built as a window
// program, which gets no console of its own: what it prints has to find the file or pipe its parent gave
// it, or the console of the program that started it.
#pragma once

#include <string_view>

namespace platform {

enum class ConsoleStream { Output, Error };

// Writes text to the stream. POSIX: UTF-8. Windows: to a console as Unicode, to a file or a pipe in the
// console's code page (the OEM code page when there is no console), with CR LF line ends. The first call
// connects the streams; text for a stream that leads nowhere is dropped.
void Print(ConsoleStream stream, std::u16string_view text);

}  // namespace platform
