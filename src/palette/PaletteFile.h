#pragma once
// Palette files: the twenty slots written in the formats other programs read, and palettes of those programs
// read back.
//
// - GIMP palette (.gpl): "GIMP Palette", then "R G B<tab>name" lines in decimal, as GIMP writes and reads them.
// - Adobe Swatch Exchange (.ase): "ASEF", version 1.0, a count of blocks, then blocks of a 16-bit type and a
//   32-bit length; a colour block holds its name (UTF-16 with its terminating zero, after its length in
//   characters), the model "RGB ", "CMYK", "LAB " or "Gray", its values as 32-bit floats and a 16-bit colour
//   type. All big-endian. Groups are read through.
// - Photoshop swatches (.aco): a version 1 list (16-bit version, count, then per colour a colour space and four
//   16-bit values), followed by the same list in version 2, which adds each colour's name (a 32-bit length in
//   characters, its terminating zero counted, then UTF-16). All big-endian. A reader takes version 2 where
//   there is one.
// - CSS custom properties (.css): ":root {", a line "  --velmira-n: #RRGGBB;" per slot, "}".
// - Text (.txt): one "#RRGGBB" a line.
// Any other file is read as a stylesheet or a text of colours: the value of each declaration (after ":" up to
// ";" or "}"), and each line that stands alone outside a declaration; never comments, strings, selectors or
// property names. A GIMP palette reads with CR, LF or CRLF line ends.
//
// Colours are written packed with red in the low byte, as the palette keeps them. They are read as the file
// gives them, model and values: how they become sRGB is the colours' business.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "text/Cp932.h"

namespace velmira {

enum class PaletteFormat { Gpl, Ase, Aco, Css, Txt };

// The format a file name asks for by its extension, in any case; nothing for another extension or none.
std::optional<PaletteFormat> PaletteFormatOfName(std::string_view path, LeadBytePredicate isLead = IsCp932LeadByte);
// The extension of a format, without its dot: "gpl".
const char* PaletteExtension(PaletteFormat format) noexcept;

// The file of the colours, first slot first, each named "Velmira n" where the format keeps names.
std::string WritePalette(PaletteFormat format, const std::vector<std::uint32_t>& colours);

// A colour as a palette file gives it.
enum class SwatchModel {
    Rgb,   // red, green, blue, 0 to 1
    Hsb,   // hue in degrees, saturation and brightness 0 to 1
    Cmyk,  // cyan, magenta, yellow, black ink, 0 to 1
    Lab,   // CIE L (0 to 100), a, b, relative to D50
    Grey,  // 0 black to 1 white
    Text,   // a line of a text file outside any declaration, which may be one colour alone
    Value,  // the value of a declaration in a stylesheet, whose first colour counts
};
struct Swatch {
    SwatchModel model = SwatchModel::Rgb;
    std::array<double, 4> values{};
    std::string line;  // for Text and Value
};

struct PaletteContents {
    std::vector<Swatch> swatches;  // in the file's order
    int unreadable = 0;            // colours in a model known only to its own library (spot inks, colour books)
    int skippedLines = 0;          // lines of a GIMP palette that are no colour (values beyond 0 to 255, text)
    long long lostEntries = 0;     // entries that a damaged file announced but ended before
};

// What the file holds, as its own header or else the name's extension says; nothing when the bytes are no
// palette (a header missing or broken, bytes that are no text where text was expected). A file cut short gives
// the entries read whole and counts those it lost.
std::optional<PaletteContents> ReadPalette(std::string_view bytes, std::string_view name,
                                           LeadBytePredicate isLead = IsCp932LeadByte);

}  // namespace velmira
