#pragma once
// The palette files of the Adobe family, binary and big-endian: Adobe Swatch Exchange (.ase) and Photoshop
// swatches (.aco), as palette/PaletteFile.h describes them.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "palette/PaletteFile.h"

namespace velmira::palette {

constexpr char kAseSignature[] = "ASEF";

// Nothing when the bytes are no such file.
std::optional<PaletteContents> ReadAse(std::string_view bytes);
std::optional<PaletteContents> ReadAco(std::string_view bytes);

std::string WriteAse(const std::vector<std::uint32_t>& colours);
std::string WriteAco(const std::vector<std::uint32_t>& colours);

}  // namespace velmira::palette
