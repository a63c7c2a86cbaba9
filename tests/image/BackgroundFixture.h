#pragma once
// A fresh main window per test, a folder of pictures written by the test beside the executable, and the
// ways a user hands the window a picture: typing a path and pressing Enter, and dropping files from the shell.
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "app/MainForm.h"
#include "support/MainWindowTest.h"
#include "support/WindowTestSupport.h"

namespace backgroundtest {

inline COLORREF ToColorRef(std::uint32_t rgb) {
    return RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
}

// The largest difference of one channel between two colours.
inline int ChannelDistance(COLORREF a, COLORREF b) {
    int worst = 0;
    for (int shift = 0; shift < 24; shift += 8) {
        const int d = static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF);
        worst = std::max(worst, d < 0 ? -d : d);
    }
    return worst;
}

class BackgroundWindow : public testsupport::MainWindowTest {
protected:
    static constexpr COLORREF kBackColour = RGB(0x12, 0x34, 0x56);

    void SetUp() override;
    void TearDown() override;

    // Writes a file into the test's picture folder and returns its full path.
    std::string Write(const std::string& name, const std::string& bytes);
    std::string PathOf(const std::string& name) const { return folder + name; }

    // Ticks or unticks the box as a click does.
    void Click(ui::CheckBox& box);
    // Types the text into the picture path's edit (replacing what it shows) and presses Enter through the
    // message loop; returns the key as the edit's key-press handling left it.
    char TypeAndPressEnter(const std::string& text);
    // Sends the window a shell drop of these files, in this order.
    void Drop(const std::vector<std::string>& paths);

    COLORREF Preview(int x, int y) { return form->ImageBackG.Picture().Pixel(x, y); }
    bool PreviewIsUniform(COLORREF colour);
    // The background colour the edit is painted with, as the edit asks its parent for it.
    COLORREF EditBackgroundColour();

    std::string folder;
};

}  // namespace backgroundtest
