// The copy formats drawn by a browser engine: headless Chromium paints each copied text on a canvas, and the
// pixel must be the colour copied. The page is written here, read over file:// and judged by its own script,
// which leaves its verdict in the document that the browser prints.
//
// The engine's own OKLab arithmetic is off by up to a unit in a dark channel of some bright greens and cyans
// (#01F248 drawn as 00F248 even from its oklch() to twelve digits): there the copy must draw exactly as the
// colour's twelve-digit oklch() draws, the most any text can ask of the engine.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "color/ColorSpaces.h"
#include "color/ColorText.h"
#include "color/CopyFormats.h"

namespace {

// Every 51st value of each channel, the colours whose copies once drew one unit off, and pseudo-random ones.
std::vector<velmira::Rgb> ColoursToDraw() {
    std::vector<velmira::Rgb> colours;
    for (int r = 0; r < 256; r += 51)
        for (int g = 0; g < 256; g += 51)
            for (int b = 0; b < 256; b += 51)
                colours.push_back({static_cast<std::uint8_t>(r), static_cast<std::uint8_t>(g), static_cast<std::uint8_t>(b)});
    for (const velmira::Rgb c : {velmira::Rgb{0x6F, 0x6F, 0x6F}, velmira::Rgb{0, 0, 0xFF}, velmira::Rgb{0xFF, 0xE2, 0x4D},
                                 velmira::Rgb{0x1A, 0x4D, 0x1A}})
        colours.push_back(c);
    std::uint32_t seed = 2024;
    while (colours.size() < 600) {
        seed = seed * 1664525u + 1013904223u;
        colours.push_back({static_cast<std::uint8_t>(seed >> 24), static_cast<std::uint8_t>(seed >> 16),
                           static_cast<std::uint8_t>(seed >> 8)});
    }
    return colours;
}

// The colour's OKLCh to twelve significant digits.
std::string ExactOklchText(velmira::Rgb colour) {
    const velmira::Triple lch = velmira::OklchOf(colour);
    char text[96];
    std::snprintf(text, sizeof text, "oklch(%.12g %.12g %.12g)", lch[0], lch[1], lch[2]);
    return text;
}

// The page: a copied text, the colour it must draw as and, for oklch(), the text whose drawing stands for that
// colour in this engine; its
// script paints them on a one-pixel canvas and writes "checked N wrong M" and every wrong text into the element
// "verdict", then how many colours the engine itself draws off.
std::string Page(const std::vector<velmira::Rgb>& colours, std::size_t& texts) {
    std::string pairs;
    texts = 0;
    for (const velmira::Rgb colour : colours)
        for (const velmira::CopyFormat& format : velmira::CopyFormatsOf(colour)) {
            if (format.text[0] == '$') continue;  // a Delphi TColor is no CSS
            const std::string reference = format.text.rfind("oklch(", 0) == 0 ? ExactOklchText(colour) : "";
            pairs += "[\"" + format.text + "\",\"" + velmira::HexText(colour) + "\",\"" + reference + "\"],\n";
            ++texts;
        }
    return "<!doctype html><html><body><pre id=verdict>not run</pre><script>\n"
           "const pairs = [\n" + pairs + "];\n"
           "const canvas = document.createElement('canvas');\n"
           "canvas.width = 1; canvas.height = 1;\n"
           "const context = canvas.getContext('2d', {willReadFrequently: true});\n"
           "const hex = v => v.toString(16).padStart(2, '0').toUpperCase();\n"
           "const draw = text => {\n"
           "  context.fillStyle = '#FF00FF80';\n"  // a colour no copy is: a text the engine refused shows
           "  context.fillStyle = text;\n"
           "  context.clearRect(0, 0, 1, 1);\n"
           "  context.fillRect(0, 0, 1, 1);\n"
           "  const p = context.getImageData(0, 0, 1, 1).data;\n"
           "  return hex(p[0]) + hex(p[1]) + hex(p[2]) + (p[3] === 255 ? '' : ' alpha ' + p[3]);\n"
           "};\n"
           "let wrong = [], engineOff = 0;\n"
           "for (const [text, colour, reference] of pairs) {\n"
           "  const expected = reference ? draw(reference) : colour;\n"
           "  if (expected !== colour) ++engineOff;\n"
           "  const drawn = draw(text);\n"
           "  if (drawn !== expected) wrong.push(text + ' drawn as ' + drawn + ' not ' + expected + ' (' + colour + ')');\n"
           "}\n"
           "document.getElementById('verdict').textContent = 'checked ' + pairs.length + ' wrong ' + wrong.length +\n"
           "  '\\n' + wrong.join('\\n') + '\\nthe engine itself draws ' + engineOff + ' colours off';\n"
           "</script></body></html>\n";
}

std::string OutputOf(const std::string& command) {
    std::string output;
    if (FILE* pipe = ::popen(command.c_str(), "r")) {
        char buffer[4096];
        for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) output.append(buffer, n);
        ::pclose(pipe);
    }
    return output;
}

TEST(CopyFormatsInABrowser, EveryCopiedTextDrawsAsTheColourCopied) {
    const std::string folder = VELMIRA_BROWSER_DIR;
    std::size_t texts = 0;
    const std::string page = folder + "/copies.html";
    std::ofstream(page) << Page(ColoursToDraw(), texts);
    // A fresh profile each run, no network of any kind, and a deadline: the browser is given up after it.
    const std::string profile = folder + "/profile";
    const std::string output = OutputOf(
        "rm -rf '" + profile + "' && timeout 120 chromium --headless --no-sandbox --disable-gpu --disable-quic "
        "--no-first-run --disable-background-networking --disable-component-update --disable-sync "
        "--user-data-dir='" + profile + "' --dump-dom 'file://" + page + "' 2>/dev/null");
    const std::string expected = "checked " + std::to_string(texts) + " wrong 0";
    const std::size_t verdict = output.find("checked ");
    ASSERT_NE(verdict, std::string::npos) << "the browser printed no verdict (is Debian's chromium installed?):\n"
                                          << output.substr(0, 2000);
    EXPECT_EQ(output.substr(verdict, expected.size()), expected) << output.substr(verdict, 4000);
    EXPECT_GE(texts, 2000u);
    const std::size_t engine = output.find("the engine itself");
    if (engine != std::string::npos) std::printf("%s\n", output.substr(engine, output.find('<', engine) - engine).c_str());
}

}  // namespace
