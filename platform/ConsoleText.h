// Text for a console whose code page cannot hold every character the editor writes. The OEM code pages of a
// Russian Windows console (866) have Cyrillic letters but none of the typographic marks of the messages:
// the system would put its nearest character in their place ("…" comes out as ":"), which reads wrong.
// No Qt: the console's own layer builds without the toolkit.
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace platform {

// True when the code page in use holds the character.
using HoldsCharacter = std::function<bool(char16_t)>;

// `text` with each typographic mark that `holds` refuses written in plain characters that read the same:
// "..." for "…", "-" for dashes, '"' for quotation marks. Other characters stay as they are; `holds` is
// asked only about the marks, each once.
std::u16string WithPlainMarks(std::u16string_view text, const HoldsCharacter& holds);

#ifdef _WIN32
// Asks the system whether the Windows code page holds a character as it is, not as a nearest one.
HoldsCharacter CodePageHolds(unsigned int codePage);
#endif

}  // namespace platform
