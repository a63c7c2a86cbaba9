#pragma once
// Palette files through the window menu: the twenty slots written to a file in the format its extension names,
// and a palette file read into the slots from slot 1 on, written to the settings file at once, as the palette
// dialog's OK writes it. What a read found is told in a message box.
#include <windows.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "palette/PaletteFile.h"
#include "ui/IniFile.h"
#include "ui/OpenDialog.h"

namespace velmira {

class PaletteTransfer {
public:
    // The colour of a swatch, packed with red in the low byte; nothing for a line of text without a colour.
    using SwatchColour = std::function<std::optional<std::uint32_t>(const Swatch&)>;
    // The settings file that keeps the slots, asked each time a file is moved.
    using SettingsFile = std::function<ui::IniFile()>;

    // `colourOf` is the colour science that turns a swatch into sRGB.
    PaletteTransfer(SettingsFile settingsFile, SwatchColour colourOf);
    PaletteTransfer(const PaletteTransfer&) = delete;
    PaletteTransfer& operator=(const PaletteTransfer&) = delete;

    // The open dialog, then ImportFile.
    void Import(HWND owner);
    // The save dialog, then ExportFile; a name without one of the five extensions gets the selected entry's.
    void Export(HWND owner);

    // Reads the file into the slots. A file that cannot be read, or that is no palette, changes nothing and says
    // so. The names are wide: a palette file's name may hold any character.
    void ImportFile(const std::wstring& path);
    // Writes the slots in the format of the name's extension; a file that cannot be written is said so.
    void ExportFile(const std::wstring& path, PaletteFormat format);

    ui::OpenDialog& ImportDialog() noexcept { return importDialog_; }
    ui::SaveDialog& ExportDialog() noexcept { return exportDialog_; }

private:
    SettingsFile settingsFile_;
    SwatchColour colourOf_;
    ui::OpenDialog importDialog_;
    ui::SaveDialog exportDialog_;
};

}  // namespace velmira
