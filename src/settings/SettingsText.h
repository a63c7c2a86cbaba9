#pragma once
// How settings keys are read from their text (ReadBooleanText comes with the integer reading rule), the
// open-file dialog's starting folder, and a key combination as the settings name it.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "text/Cp932.h"
#include "text/IntegerReading.h"

namespace velmira {

// A folder as the open-file dialog starts in it: one trailing backslash is removed unless it follows a drive
// colon ("C:\foo\" gives "C:\foo", "C:\" stays). The last byte of a double-byte character is never taken for
// a backslash.
std::string StartingFolder(std::string_view folder, LeadBytePredicate isLead = IsCp932LeadByte);

// A key and the modifiers held with it, in the system's terms: the modifier bits of a hot key (Alt 1, Ctrl 2,
// Shift 4, Win 8) and a virtual-key code.
struct KeyCombination {
    unsigned modifiers = 0;
    unsigned key = 0;
    bool operator==(const KeyCombination& other) const noexcept {
        return modifiers == other.modifiers && key == other.key;
    }
};

// "Ctrl+Alt+P": modifiers (Ctrl or Control, Alt, Shift, Win), then one key (a letter, a digit, F1 to F24, Space,
// Insert, Delete, Home, End, PageUp, PageDown, Left, Up, Right, Down, Pause), joined by "+", in any case, blanks
// around each part allowed. A key that types or edits (all but F1 to F24 and Pause) needs Ctrl or Alt with it:
// alone, with Shift or with Win it would be taken from every program's typing. Nothing for anything else, the
// empty text included.
std::optional<KeyCombination> ReadKeyCombinationText(std::string_view text);

}  // namespace velmira
