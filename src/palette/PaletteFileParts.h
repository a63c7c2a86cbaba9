#pragma once
// What the readers and writers of the palette files share: the channels of a colour packed with red in the low
// byte, the names the slots are written under, and the gathering of what a reader finds.
#include <cmath>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>

#include "palette/PaletteFile.h"

namespace velmira::palette {

inline std::uint8_t Red(std::uint32_t colour) noexcept {
    return static_cast<std::uint8_t>(colour & 0xFF);
}
inline std::uint8_t Green(std::uint32_t colour) noexcept {
    return static_cast<std::uint8_t>((colour >> 8) & 0xFF);
}
inline std::uint8_t Blue(std::uint32_t colour) noexcept {
    return static_cast<std::uint8_t>((colour >> 16) & 0xFF);
}

inline std::string SlotName(std::size_t index) {
    return "Velmira " + std::to_string(index + 1);
}

// The most swatches a reader keeps: more than any palette of named colours has, and far more than the palette's
// slots take. The rest of a file is not read into memory: eight megabytes of one-letter lines would be millions.
constexpr std::size_t kMaxSwatches = 20000;

// Gathers what a reader finds.
class Collector {
public:
    void Add(Swatch swatch) {
        for (const double v : swatch.values)
            if (!std::isfinite(v)) return Unreadable();
        if (contents_.swatches.size() < kMaxSwatches) contents_.swatches.push_back(std::move(swatch));
    }
    void Unreadable() { ++contents_.unreadable; }
    void SkippedLine() { ++contents_.skippedLines; }
    // The file ended before the entries it announced.
    void Lost(long long entries) { contents_.lostEntries += entries; }

    // Nothing for a file that held nothing at all; a damaged one says what it lost even with no colour read. What
    // was found is handed over rather than copied.
    std::optional<PaletteContents> Contents() {
        if (contents_.swatches.empty() && contents_.unreadable == 0 && contents_.lostEntries == 0) return std::nullopt;
        return std::move(contents_);
    }

private:
    PaletteContents contents_;
};

}  // namespace velmira::palette
