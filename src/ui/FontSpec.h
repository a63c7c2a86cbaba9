#pragma once
// A font as the layout describes it: face, character height at 96 dots per inch, weight. The window layer makes
// the font for the DPI of the window that shows it (ui::MakeFont, kept by ui::Application::Font).
#include <string>
#include <tuple>

namespace ui {

// The faces the program's windows are set in: the proportional one of their texts, and the fixed-pitch one of
// text set in columns.
constexpr char kFace[] = "ＭＳ Ｐゴシック";
constexpr char kFixedFace[] = "ＭＳ ゴシック";

struct FontSpec {
    std::string face;  // code page 932
    int height = 12;   // character height in pixels at 96 DPI (without internal leading)
    bool bold = false;
    // Where the face is missing, the font mapper takes a fixed-pitch one in its place (text set in columns).
    bool fixedPitch = false;
    bool operator<(const FontSpec& other) const {
        return std::tie(face, height, bold, fixedPitch) <
               std::tie(other.face, other.height, other.bold, other.fixedPitch);
    }
    bool operator==(const FontSpec& other) const {
        return face == other.face && height == other.height && bold == other.bold && fixedPitch == other.fixedPitch;
    }
};

}  // namespace ui
