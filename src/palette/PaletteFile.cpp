#include "palette/PaletteFile.h"

#include <algorithm>
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

// Lines ended by LF, CRLF or a CR alone (as older Mac programs write them).
template <class Each>
void ForEachLine(std::string_view text, Each each) {
    while (!text.empty()) {
        const std::size_t end = text.find_first_of("\r\n");
        each(text.substr(0, end));
        if (end == std::string_view::npos) break;
        text.remove_prefix(end + (text.substr(end, 2) == "\r\n" ? 2 : 1));
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
        if (r && g && b)
            found.Add(Swatch{SwatchModel::Rgb, {*r / 255.0, *g / 255.0, *b / 255.0, 0}, {}});
        else
            found.SkippedLine();
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

std::string_view Trimmed(std::string_view text) noexcept {
    constexpr std::string_view kBlanks = " \t\r\n\f";
    const std::size_t first = text.find_first_not_of(kBlanks);
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(kBlanks) + 1 - first);
}

// Whether the bytes are UTF-8, in which no byte of a longer character is ASCII: then every delimiter can be
// looked for byte by byte. Other text is taken as code page 932, stepped a character at a time.
bool IsUtf8(std::string_view text) noexcept {
    for (std::size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        const std::size_t length = c < 0x80 ? 1 : (c >> 5) == 0x6 ? 2 : (c >> 4) == 0xE ? 3 : (c >> 3) == 0x1E ? 4 : 0;
        if (length == 0 || i + length > text.size()) return false;
        for (std::size_t k = 1; k < length; ++k)
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return false;
        i += length;
    }
    return true;
}

// One statement of a stylesheet (up to ";", "}" or, with no ":" in it, a line end), comments left out: a
// declaration's value after its first ":" outside parentheses and strings, or a line that may be a colour alone.
void AddStatement(std::string_view statement, std::size_t colon, Collector& found) {
    const bool declaration = colon != std::string_view::npos;
    const std::string_view text = Trimmed(declaration ? statement.substr(colon + 1) : statement);
    if (!text.empty()) found.Add(Swatch{declaration ? SwatchModel::Value : SwatchModel::Text, {}, std::string(text)});
}

std::optional<PaletteContents> ReadText(std::string_view bytes, LeadBytePredicate isLead) {
    if (bytes.find('\0') != std::string_view::npos) return std::nullopt;
    const std::string_view text = WithoutMark(bytes);
    const bool utf8 = text.size() != bytes.size() || IsUtf8(text);
    Collector found;
    std::string statement;
    std::size_t colon = std::string_view::npos;
    int depth = 0;  // of parentheses, within which ";" and ":" belong to a function's arguments
    std::size_t pos = 0;
    while (pos < text.size()) {
        const char c = text[pos];
        const std::size_t next = utf8 ? pos + 1 : NextCharOffset(text, pos, isLead);
        if (text.substr(pos, 2) == "/*") {
            const std::size_t end = text.find("*/", pos + 2);
            pos = end == std::string_view::npos ? text.size() : end + 2;
            statement += ' ';
            continue;
        }
        if (c == '"' || c == '\'') {  // a string, kept whole: nothing in it splits or ends the statement
            std::size_t end = next;
            while (end < text.size() && text[end] != c && text[end] != '\n')
                end = utf8 ? end + 1 : NextCharOffset(text, end, isLead);
            end = std::min(end + 1, text.size());
            statement.append(text.substr(pos, end - pos));
            pos = end;
            continue;
        }
        if (next == pos + 1) {
            if (c == '(') ++depth;
            if (c == ')' && depth > 0) --depth;
            const bool lineEnd = (c == '\r' || c == '\n') && colon == std::string_view::npos;
            if (depth == 0 && (c == ';' || c == '{' || c == '}' || lineEnd)) {
                // What ends in "{" is a selector or a rule's prelude, never a value.
                if (c != '{') AddStatement(statement, colon, found);
                statement.clear();
                colon = std::string_view::npos;
                pos = next;
                continue;
            }
            if (c == ':' && depth == 0 && colon == std::string_view::npos) colon = statement.size();
        }
        statement.append(text.substr(pos, next - pos));
        pos = next;
    }
    AddStatement(statement, colon, found);
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
    return ReadText(bytes, isLead);
}

}  // namespace velmira
