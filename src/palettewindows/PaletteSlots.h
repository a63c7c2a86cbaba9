#pragma once
// The palette's twenty slots in the settings file's section "Pallet", keys "Palllet1" to "Palllet20", each
// RRGGBB (default ffffff). The palette dialog and the palette files both go through here.
#include <array>
#include <cstdint>

#include "ui/IniFile.h"

namespace velmira {

constexpr int kPaletteSlots = 20;
using PaletteSlots = std::array<std::uint32_t, kPaletteSlots>;  // slot 1 first, red in the low byte

PaletteSlots ReadPaletteSlots(const ui::IniFile& file);
// Writes all twenty keys in order, upper case; the first key the platform refuses throws, and the keys after
// it are not written.
void WritePaletteSlots(const ui::IniFile& file, const PaletteSlots& slots);

}  // namespace velmira
