#include "core/PrefixNames.h"

#include "core/BookLines.h"

namespace prefix_names {

std::string GeneratedName(std::string_view prefix, std::string_view typed) {
    std::string name;
    name.reserve(prefix.size() + typed.size());
    name.append(prefix).append(typed);
    return name;
}

Step PassStep(bool marked, std::string_view generated, int listedPosition, std::string_view listedName) {
    const bool present = listedPosition >= 0;
    if (marked) {
        if (present) {
            return Step::Keep;
        }
        return book_lines::HasControlByte(generated) ? Step::Refuse : Step::Add;
    }
    return present && listedName == generated ? Step::Remove : Step::Keep;
}

}  // namespace prefix_names
