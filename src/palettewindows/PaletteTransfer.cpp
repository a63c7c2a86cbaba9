#include "palettewindows/PaletteTransfer.h"

#include <algorithm>
#include <iterator>
#include <stdexcept>
#include <vector>

#include "palettewindows/PaletteSlots.h"
#include "ui/Application.h"
#include "ui/IniFile.h"
#include "ui/WholeFile.h"

namespace velmira {

namespace {

// Larger than any palette of twenty thousand named colours; a larger file is no palette.
constexpr DWORD kLargestFile = 8 * 1024 * 1024;

// The export dialog's entries, in the order of PaletteFormat.
constexpr PaletteFormat kExportFormats[] = {PaletteFormat::Gpl, PaletteFormat::Ase,
                                                     PaletteFormat::Aco, PaletteFormat::Css,
                                                     PaletteFormat::Txt};

std::string Count(std::size_t n) {
    return std::to_string(n);
}

// The colours a file gave, in its order, and how many of them were in another model than RGB.
struct FoundColours {
    std::vector<std::uint32_t> colours;
    std::size_t converted = 0;
    std::size_t unreadable = 0;
};

FoundColours ColoursOf(const PaletteContents& contents, const PaletteTransfer::SwatchColour& colourOf) {
    FoundColours found;
    found.unreadable = static_cast<std::size_t>(contents.unreadable);
    for (const Swatch& swatch : contents.swatches) {
        const std::optional<std::uint32_t> colour = colourOf(swatch);
        if (!colour) continue;
        found.colours.push_back(*colour);
        if (swatch.model != SwatchModel::Rgb && swatch.model != SwatchModel::Text) ++found.converted;
    }
    return found;
}

// What the message says after a read that found colours.
std::string ImportedText(const FoundColours& found, std::size_t taken) {
    std::string text = "パレットの 1 番から " + Count(taken) + " 番に " + Count(taken) + " 色を読み込みました。";
    if (found.colours.size() > taken)
        text += "\n\nファイルの " + Count(found.colours.size()) + " 色のうち、初めの " + Count(taken) +
                " 色です。残りの " + Count(found.colours.size() - taken) + " 色は読み込んでいません。";
    if (found.converted > 0)
        text += "\n\nCMYK、Lab、グレー、HSB で書かれた " + Count(found.converted) + " 色は sRGB に換算しました。";
    if (found.unreadable > 0)
        text += "\n\n特色など sRGB に換算できない " + Count(found.unreadable) + " 色は読み飛ばしました。";
    return text;
}

std::string NoPaletteText(const std::string& path, std::size_t unreadable) {
    std::string text = path + " からはパレットの色を読み取れませんでした。パレットは変わっていません。";
    if (unreadable > 0)
        text += "\n\nファイルの " + Count(unreadable) + " 色は、特色など sRGB に換算できない色です。";
    return text + "\n\n読み込めるのは、GIMP パレット (.gpl)、Adobe Swatch Exchange (.ase)、Photoshop スウォッチ "
                  "(.aco) と、CSS の色を 1 行に 1 つずつ書いたテキストです。";
}

}  // namespace

PaletteTransfer::PaletteTransfer(SettingsFile settingsFile, SwatchColour colourOf)
    : settingsFile_(std::move(settingsFile)), colourOf_(std::move(colourOf)) {
    const std::string palettes = "*.gpl;*.ase;*.aco;*.css;*.txt";
    importDialog_.Filter = "パレット (" + palettes + ")|" + palettes +
                           "|GIMP パレット (*.gpl)|*.gpl|Adobe Swatch Exchange (*.ase)|*.ase|Photoshop スウォッチ "
                           "(*.aco)|*.aco|CSS (*.css)|*.css|テキスト (*.txt)|*.txt|すべてのファイル (*.*)|*.*";
    exportDialog_.Filter = "GIMP パレット (*.gpl)|*.gpl|Adobe Swatch Exchange (*.ase)|*.ase|Photoshop スウォッチ "
                           "(*.aco)|*.aco|CSS (*.css)|*.css|テキスト (*.txt)|*.txt";
    exportDialog_.FileName = "velmira";
    exportDialog_.DefaultExt = "gpl";
}

void PaletteTransfer::Import(HWND owner) {
    if (importDialog_.Execute(owner)) ImportFile(importDialog_.FileName);
}

void PaletteTransfer::Export(HWND owner) {
    if (!exportDialog_.Execute(owner)) return;
    std::string path = exportDialog_.FileName;
    std::optional<PaletteFormat> format = PaletteFormatOfName(path);
    if (!format) {
        const int entry = std::clamp(exportDialog_.FilterIndex, 1, static_cast<int>(std::size(kExportFormats)));
        format = kExportFormats[entry - 1];
        path += std::string(".") + PaletteExtension(*format);
    }
    ExportFile(path, *format);
}

void PaletteTransfer::ImportFile(const std::string& path) {
    const std::optional<std::string> bytes = ui::ReadWholeFile(path, kLargestFile);
    if (!bytes) throw std::runtime_error(path + "を読み込めません");
    const std::optional<PaletteContents> contents = ReadPalette(*bytes, path);
    const FoundColours found = contents ? ColoursOf(*contents, colourOf_) : FoundColours{};
    ui::Application& app = ui::Application::Get();
    if (found.colours.empty()) {
        app.ShowMessage(NoPaletteText(path, found.unreadable), MB_OK | MB_ICONWARNING);
        return;
    }
    const ui::IniFile file = settingsFile_();
    PaletteSlots slots = ReadPaletteSlots(file);
    const std::size_t taken = std::min(found.colours.size(), slots.size());
    std::copy_n(found.colours.begin(), taken, slots.begin());
    WritePaletteSlots(file, slots);
    app.ShowMessage(ImportedText(found, taken), MB_OK | MB_ICONINFORMATION);
}

void PaletteTransfer::ExportFile(const std::string& path, PaletteFormat format) {
    const PaletteSlots slots = ReadPaletteSlots(settingsFile_());
    if (!ui::WriteWholeFile(path, WritePalette(format, std::vector<std::uint32_t>(slots.begin(), slots.end()))))
        throw std::runtime_error(path + " に書き込めません");
}

}  // namespace velmira
