#pragma once
// The main window's settings in "velmira.ini" in the program's folder: read while the window is created, written
// when it is closed. Each value is described once, by its section, key and default, for reading and writing.
#include <array>
#include <cstdint>
#include <string>

#include "ui/IniFile.h"

namespace velmira {

struct SettingsValues {
    std::string iniDir;  // the open-file dialog's folder
    std::string spi;     // the plug-in folder
    bool loupe = true;   // a pick shows the loupe and takes the arrow keys and the wheel
    std::int32_t sample = 1;  // the side of the square a pick samples, as written (the pick reads it)
    std::string pickKey;  // the system-wide key that starts a pick of the text colour ("Ctrl+Alt+P"); none when empty
    // The contrast details window's place, physical pixels of the virtual screen, and its client size, 96-DPI
    // figures; by default right of the main window.
    struct Place {
        std::int32_t left = 680, top = 100, width = 360, height = 240;
    } details;
    // The palette's contrast table, the same way; by default below the details.
    Place table{680, 380, 560, 300};
    // Channel strings, red, green, blue, taken as they are: a malformed one gives 0 but is written back unchanged.
    std::array<std::string, 3> font;
    std::array<std::string, 3> backG;
    std::int32_t input = 1;  // the display format's item
    bool useImage = false;
    std::string path;  // the background picture
};

class Settings {
public:
    // The settings of the program whose folder (with its trailing backslash) is `appDir`.
    explicit Settings(const std::string& appDir);

    // Every key, or its default where the file, the section or the key is missing.
    SettingsValues Read() const;
    // Every key is written whether it changed or not, each on its own; the first refused write throws.
    void Write(const SettingsValues& values) const;

private:
    std::string appDir_;
    ui::IniFile file_;
};

}  // namespace velmira
