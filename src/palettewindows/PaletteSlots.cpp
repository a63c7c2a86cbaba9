#include "palettewindows/PaletteSlots.h"

#include <string>

#include "palette/PaletteText.h"

namespace velmira {
namespace {

constexpr char kSection[] = "Pallet";
constexpr char kEmptySlot[] = "ffffff";

}  // namespace

PaletteSlots ReadPaletteSlots(const ui::IniFile& file) {
    PaletteSlots slots{};
    for (int slot = 1; slot <= kPaletteSlots; ++slot)
        slots[static_cast<std::size_t>(slot - 1)] =
            PaletteColorFromText(file.ReadString(kSection, PaletteSlotKey(slot).c_str(), kEmptySlot));
    return slots;
}

void WritePaletteSlots(const ui::IniFile& file, const PaletteSlots& slots) {
    for (int slot = 1; slot <= kPaletteSlots; ++slot)
        file.WriteString(kSection, PaletteSlotKey(slot).c_str(),
                         PaletteTextOfColor(slots[static_cast<std::size_t>(slot - 1)]));
}

}  // namespace velmira
