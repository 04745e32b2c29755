#include "platform/ConsoleText.h"

#include <algorithm>
#include <array>
#include <optional>
#include <utility>

namespace platform {

namespace {

struct PlainMark {
    char16_t Mark;
    std::u16string_view Plain;
};

// The marks the editor's texts use, and a few that users' names and paths bring.
constexpr std::array kPlainMarks = {
    PlainMark{u'\u2026', u"..."},  // …
    PlainMark{u'\u2014', u"-"},    // —
    PlainMark{u'\u2013', u"-"},    // –
    PlainMark{u'\u00AB', u"\""},   // «
    PlainMark{u'\u00BB', u"\""},   // »
    PlainMark{u'\u201C', u"\""},   // “
    PlainMark{u'\u201D', u"\""},   // ”
    PlainMark{u'\u201E', u"\""},   // „
    PlainMark{u'\u2018', u"'"},    // ‘
    PlainMark{u'\u2019', u"'"},    // ’
    PlainMark{u'\u2116', u"N"},    // №
    PlainMark{u'\u00A0', u" "},    // no-break space
};

}  // namespace

std::u16string WithPlainMarks(std::u16string_view text, const HoldsCharacter& holds) {
    std::array<std::optional<bool>, kPlainMarks.size()> held{};
    std::u16string out;
    out.reserve(text.size());
    for (const char16_t c : text) {
        // Most text is letters, digits and plain signs: the table is looked at only above ASCII.
        const auto* mark = c < 0x80 ? kPlainMarks.end()
                                    : std::find_if(kPlainMarks.begin(), kPlainMarks.end(),
                                                   [c](const PlainMark& m) { return m.Mark == c; });
        if (mark == kPlainMarks.end()) {
            out.push_back(c);
            continue;
        }
        std::optional<bool>& known = held[static_cast<std::size_t>(mark - kPlainMarks.begin())];
        if (!known) {
            known = holds(c);
        }
        if (*known) {
            out.push_back(c);
        } else {
            out.append(mark->Plain);
        }
    }
    return out;
}

}  // namespace platform
