// The analog names that prefixes generate from a typed base name, and what the generation pass does with
// each of them. Names are Windows-1251 bytes as the book holds them.
#pragma once

#include <string>
#include <string_view>

namespace prefix_names {

// The prefix followed directly by the typed text, both exactly as they stand: no separator, no trimming.
std::string GeneratedName(std::string_view prefix, std::string_view typed);

enum class Step { Keep, Add, Remove, Refuse };

// What the pass does for one entry of the prefix list. `listedPosition` is the position of the first
// listed name equal to `generated` with letter case ignored (-1: none), `listedName` that name. A marked
// entry whose name is not present adds it; an unmarked entry removes its name only when the first one
// present is the same byte for byte, so that a name the user typed in another case is never taken away.
// A name to add that holds a byte below 0x20 (from the prefix or from the typed text) is refused: no chip
// name holds one, and the book could not keep it.
Step PassStep(bool marked, std::string_view generated, int listedPosition, std::string_view listedName);

}  // namespace prefix_names
