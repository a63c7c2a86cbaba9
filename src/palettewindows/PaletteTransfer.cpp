#include "palettewindows/PaletteTransfer.h"

#include <algorithm>
#include <iterator>
#include <vector>

#include "palettewindows/PaletteSlots.h"
#include "text/SystemText.h"
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
    std::size_t skippedLines = 0;
    long long lostEntries = 0;
};

FoundColours ColoursOf(const PaletteContents& contents, const PaletteTransfer::SwatchColour& colourOf) {
    FoundColours found;
    found.unreadable = static_cast<std::size_t>(contents.unreadable);
    found.skippedLines = static_cast<std::size_t>(contents.skippedLines);
    found.lostEntries = contents.lostEntries;
    for (const Swatch& swatch : contents.swatches) {
        const std::optional<std::uint32_t> colour = colourOf(swatch);
        if (!colour) continue;
        found.colours.push_back(*colour);
        if (swatch.model != SwatchModel::Rgb && swatch.model != SwatchModel::Text) ++found.converted;
    }
    return found;
}

// What the message adds about a file that was damaged or held lines that are no colour.
std::string DamageText(const FoundColours& found) {
    std::string text;
    if (found.lostEntries > 0)
        text += "\n\nファイルが途中で終わっています。読み込めなかった項目は " + std::to_string(found.lostEntries) +
                " 個です。";
    if (found.skippedLines > 0)
        text += "\n\n色として読み取れない " + Count(found.skippedLines) + " 行は読み飛ばしました。";
    return text;
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
    return text + DamageText(found);
}

std::string NoPaletteText(const std::string& path, const FoundColours& found) {
    std::string text = path + " からはパレットの色を読み取れませんでした。パレットは変わっていません。";
    if (found.unreadable > 0)
        text += "\n\nファイルの " + Count(found.unreadable) + " 色は、特色など sRGB に換算できない色です。";
    text += DamageText(found);
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
    importDialog_.WideNames = true;
    exportDialog_.WideNames = true;
    exportDialog_.FileName = "velmira";
    exportDialog_.DefaultExt = "gpl";
}

void PaletteTransfer::Import(HWND owner) {
    if (importDialog_.Execute(owner)) ImportFile(importDialog_.WideFileName);
}

void PaletteTransfer::Export(HWND owner) {
    if (!exportDialog_.Execute(owner)) return;
    std::wstring path = exportDialog_.WideFileName;
    std::optional<PaletteFormat> format = PaletteFormatOfName(NarrowText(path), &IsLeadByte);
    if (!format) {
        const int entry = std::clamp(exportDialog_.FilterIndex, 1, static_cast<int>(std::size(kExportFormats)));
        format = kExportFormats[entry - 1];
        path += WideText(std::string(".") + PaletteExtension(*format));
    }
    ExportFile(path, *format);
}

void PaletteTransfer::ImportFile(const std::wstring& path) {
    ui::Application& app = ui::Application::Get();
    const std::string shownPath = NarrowText(path);
    const std::optional<std::string> bytes = ui::ReadWholeFile(path, kLargestFile);
    if (!bytes) {
        app.ShowMessage(shownPath + " を読み込めません。", MB_OK | MB_ICONERROR);
        return;
    }
    const std::optional<PaletteContents> contents = ReadPalette(*bytes, shownPath, &IsLeadByte);
    const FoundColours found = contents ? ColoursOf(*contents, colourOf_) : FoundColours{};
    if (found.colours.empty()) {
        app.ShowMessage(NoPaletteText(shownPath, found), MB_OK | MB_ICONWARNING);
        return;
    }
    const ui::IniFile file = settingsFile_();
    PaletteSlots slots = ReadPaletteSlots(file);
    const std::size_t taken = std::min(found.colours.size(), slots.size());
    std::copy_n(found.colours.begin(), taken, slots.begin());
    WritePaletteSlots(file, slots);
    app.ShowMessage(ImportedText(found, taken), MB_OK | MB_ICONINFORMATION);
}

void PaletteTransfer::ExportFile(const std::wstring& path, PaletteFormat format) {
    const PaletteSlots slots = ReadPaletteSlots(settingsFile_());
    if (!ui::WriteWholeFile(path, WritePalette(format, std::vector<std::uint32_t>(slots.begin(), slots.end()))))
        ui::Application::Get().ShowMessage(NarrowText(path) + " に書き込めません。", MB_OK | MB_ICONERROR);
}

}  // namespace velmira
