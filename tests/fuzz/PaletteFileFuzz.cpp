// libFuzzer target: palette files of any format as other programs (or anyone) write them. The first byte picks
// the name's extension; the rest is the file.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "FuzzInput.h"
#include "app/SwatchColour.h"
#include "palette/PaletteFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    constexpr const char* kNames[] = {"a.gpl", "a.ase", "a.aco", "a.css", "a.txt", "a.dat"};
    if (size == 0) return 0;
    const char* name = kNames[data[0] % 6];
    const std::string_view bytes(reinterpret_cast<const char*>(data + 1), size - 1);

    if (const std::optional<velmira::PaletteContents> contents = velmira::ReadPalette(bytes, name)) {
        FUZZ_CHECK(contents->unreadable >= 0);
        for (const velmira::Swatch& swatch : contents->swatches) {
            for (const double v : swatch.values) FUZZ_CHECK(std::isfinite(v));
            const std::optional<std::uint32_t> colour = velmira::ColourOfSwatch(swatch);
            FUZZ_CHECK(!colour || *colour <= 0xFFFFFF);
            FUZZ_CHECK(colour || swatch.model == velmira::SwatchModel::Text || swatch.model == velmira::SwatchModel::Value);
        }
    }

    // The same bytes as colours, written in the format and read back, are the same colours.
    if (const std::optional<velmira::PaletteFormat> format = velmira::PaletteFormatOfName(name)) {
        std::vector<std::uint32_t> colours;
        for (std::size_t i = 0; i + 3 <= bytes.size() && colours.size() < 20; i += 3)
            colours.push_back(static_cast<std::uint8_t>(bytes[i]) | static_cast<std::uint8_t>(bytes[i + 1]) << 8 |
                              static_cast<std::uint32_t>(static_cast<std::uint8_t>(bytes[i + 2])) << 16);
        if (colours.empty()) return 0;
        const std::optional<velmira::PaletteContents> read = velmira::ReadPalette(velmira::WritePalette(*format, colours), name);
        FUZZ_CHECK(read);
        std::vector<std::uint32_t> back;
        for (const velmira::Swatch& swatch : read->swatches)
            if (const std::optional<std::uint32_t> colour = velmira::ColourOfSwatch(swatch)) back.push_back(*colour);
        FUZZ_CHECK(back == colours);
    }
    return 0;
}
