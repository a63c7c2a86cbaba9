#include "palette/PaletteFile.h"

#include <cstdio>

#include "palette/AdobeSwatches.h"
#include "palette/PaletteFileParts.h"
#include "text/PathText.h"

namespace velmira {
namespace {

using palette::Blue;
using palette::Collector;
using palette::Green;
using palette::kAseSignature;
using palette::ReadAco;
using palette::ReadAse;
using palette::Red;
using palette::SlotName;
using palette::WriteAco;
using palette::WriteAse;

constexpr char kGimpHeader[] = "GIMP Palette";
constexpr char kUtf8Mark[] = "\xEF\xBB\xBF";

// ---- Lines -----------------------------------------------------------------------------------------------------

template <class Each>
void ForEachLine(std::string_view text, Each each) {
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        each(line);
        if (end == std::string_view::npos) break;
        text.remove_prefix(end + 1);
    }
}

bool StartsWith(std::string_view text, std::string_view start) noexcept {
    return text.substr(0, start.size()) == start;
}

std::string_view WithoutMark(std::string_view text) noexcept {
    return StartsWith(text, kUtf8Mark) ? text.substr(3) : text;
}

// ---- GIMP ------------------------------------------------------------------------------------------------------

// A decimal 0 to 255 at the start of `line`, blanks before it skipped; the line is left after it.
std::optional<int> TakeChannel(std::string_view& line) noexcept {
    while (!line.empty() && (line.front() == ' ' || line.front() == '\t')) line.remove_prefix(1);
    int value = 0;
    std::size_t digits = 0;
    while (digits < line.size() && line[digits] >= '0' && line[digits] <= '9' && digits < 4)
        value = value * 10 + (line[digits++] - '0');
    if (digits == 0 || value > 255) return std::nullopt;
    line.remove_prefix(digits);
    if (!line.empty() && line.front() != ' ' && line.front() != '\t') return std::nullopt;
    return value;
}

std::optional<PaletteContents> ReadGimp(std::string_view text) {
    Collector found;
    bool header = true;
    ForEachLine(text, [&](std::string_view line) {
        if (header) {
            header = false;
            return;
        }
        if (line.empty() || line.front() == '#' || StartsWith(line, "Name:") || StartsWith(line, "Columns:")) return;
        const std::optional<int> r = TakeChannel(line), g = TakeChannel(line), b = TakeChannel(line);
        if (r && g && b) found.Add(Swatch{SwatchModel::Rgb, {*r / 255.0, *g / 255.0, *b / 255.0, 0}, {}});
    });
    return found.Contents();
}

std::string WriteGimp(const std::vector<std::uint32_t>& colours) {
    std::string out = std::string(kGimpHeader) + "\nName: Velmira\nColumns: 5\n#\n";
    for (std::size_t i = 0; i < colours.size(); ++i) {
        char line[64];
        std::snprintf(line, sizeof line, "%3d %3d %3d\t", Red(colours[i]), Green(colours[i]), Blue(colours[i]));
        out += line + SlotName(i) + "\n";
    }
    return out;
}

// ---- Text ------------------------------------------------------------------------------------------------------

std::optional<PaletteContents> ReadText(std::string_view text) {
    if (text.find('\0') != std::string_view::npos) return std::nullopt;
    Collector found;
    ForEachLine(WithoutMark(text), [&](std::string_view line) {
        if (!line.empty()) found.Add(Swatch{SwatchModel::Text, {}, std::string(line)});
    });
    return found.Contents();
}

std::string HexText(std::uint32_t colour) {
    char text[8];
    std::snprintf(text, sizeof text, "#%02X%02X%02X", Red(colour), Green(colour), Blue(colour));
    return text;
}

std::string WriteCss(const std::vector<std::uint32_t>& colours) {
    std::string out = ":root {\r\n";
    for (std::size_t i = 0; i < colours.size(); ++i)
        out += "  --velmira-" + std::to_string(i + 1) + ": " + HexText(colours[i]) + ";\r\n";
    return out + "}\r\n";
}

std::string WriteTxt(const std::vector<std::uint32_t>& colours) {
    std::string out;
    for (const std::uint32_t colour : colours) out += HexText(colour) + "\r\n";
    return out;
}

}  // namespace

std::optional<PaletteFormat> PaletteFormatOfName(std::string_view path, LeadBytePredicate isLead) {
    const std::string extension = LowerCaseSingleByteLetters(ExtensionOf(path, isLead), isLead);
    for (const PaletteFormat format :
         {PaletteFormat::Gpl, PaletteFormat::Ase, PaletteFormat::Aco, PaletteFormat::Css, PaletteFormat::Txt})
        if (extension == std::string(".") + PaletteExtension(format)) return format;
    return std::nullopt;
}

const char* PaletteExtension(PaletteFormat format) noexcept {
    switch (format) {
    case PaletteFormat::Gpl: return "gpl";
    case PaletteFormat::Ase: return "ase";
    case PaletteFormat::Aco: return "aco";
    case PaletteFormat::Css: return "css";
    case PaletteFormat::Txt: break;
    }
    return "txt";
}

std::string WritePalette(PaletteFormat format, const std::vector<std::uint32_t>& colours) {
    switch (format) {
    case PaletteFormat::Gpl: return WriteGimp(colours);
    case PaletteFormat::Ase: return WriteAse(colours);
    case PaletteFormat::Aco: return WriteAco(colours);
    case PaletteFormat::Css: return WriteCss(colours);
    case PaletteFormat::Txt: break;
    }
    return WriteTxt(colours);
}

std::optional<PaletteContents> ReadPalette(std::string_view bytes, std::string_view name, LeadBytePredicate isLead) {
    const std::optional<PaletteFormat> named = PaletteFormatOfName(name, isLead);
    if (StartsWith(bytes, kAseSignature)) return ReadAse(bytes);
    if (StartsWith(WithoutMark(bytes), kGimpHeader)) return ReadGimp(WithoutMark(bytes));
    if (named == PaletteFormat::Aco) return ReadAco(bytes);
    // A name that promises a header the file lacks is no palette; anything else may be a text of colours.
    if (named == PaletteFormat::Ase || named == PaletteFormat::Gpl) return std::nullopt;
    return ReadText(bytes);
}

}  // namespace velmira
