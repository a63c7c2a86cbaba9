// The background picture of the real main window: switching it on and off, typed, dropped and re-read paths,
// and what each failure shows and leaves behind.
#include <gtest/gtest.h>

#include <cstdio>
#include <jpeglib.h>
#include <jerror.h>

#include "image/BackgroundFixture.h"
#include "image/JpegDecoder.h"

namespace backgroundtest {
namespace {

using testsupport::MessageBoxRecorder;

// ---- Switching ------------------------------------------------------------------------------------------------

TEST_F(BackgroundImage, TickingEnablesThePathAndDisablesTheBackgroundColour) {
    ui::Window* const colourControls[] = {&form->EditBackG,    &form->EditBR,       &form->EditBG,
                                          &form->EditBB,       &form->BarBR,        &form->BarBG,
                                          &form->BarBB,        &form->BtnCopyBackG, &form->BtnSaveBackG,
                                          &form->BtnLoadBackG, &form->PanelScopeBackG};
    MessageBoxRecorder boxes;
    for (const bool ticked : {true, false, true, false}) {
        SCOPED_TRACE(ticked ? "ticked" : "unticked");
        Click(form->CheckBackImage);
        EXPECT_EQ(form->CheckBackImage.Checked(), ticked);
        EXPECT_EQ(form->Background().UseImage(), ticked);
        EXPECT_EQ(form->EditBackImage.Enabled(), ticked);
        EXPECT_EQ(form->BtnRef.Enabled(), ticked);
        EXPECT_TRUE(form->BtnSPI.Enabled());
        EXPECT_EQ(EditBackgroundColour(), ::GetSysColor(ticked ? COLOR_WINDOW : COLOR_MENU));
        for (ui::Window* control : colourControls) EXPECT_EQ(control->Enabled(), !ticked);
        // With no path yet, nothing is loaded and the preview keeps the colour.
        EXPECT_TRUE(PreviewIsUniform(kBackColour));
    }
    EXPECT_TRUE(boxes.messages.empty());
}

TEST_F(BackgroundImage, UntickingPaintsTheColourAndTickingReadsTheFileAgain) {
    Click(form->CheckBackImage);
    const std::string path = Write("switch.bmp", Bmp24(Solid(5, 5, 0xFF0000)));
    form->Background().LoadPictureFile(path);
    ASSERT_TRUE(PreviewIsUniform(RGB(255, 0, 0)));

    // A colour update leaves the picture alone while it is in use.
    testsupport::SetBackColour(*form, "00", HexBG(*form), HexBB(*form));
    EXPECT_TRUE(PreviewIsUniform(RGB(255, 0, 0)));
    EXPECT_EQ(form->BarBR.Position(), 0x12);

    Click(form->CheckBackImage);
    EXPECT_TRUE(PreviewIsUniform(RGB(0x00, 0x34, 0x56)));
    EXPECT_EQ(form->BarBR.Position(), 0);

    // The file changes while the picture is off; ticking shows the new content.
    Write("switch.bmp", Bmp24(Solid(5, 5, 0x00FF00)));
    Click(form->CheckBackImage);
    EXPECT_TRUE(PreviewIsUniform(RGB(0, 255, 0)));
    EXPECT_EQ(form->EditBackImage.Text(), path);
}

TEST_F(BackgroundImage, FileDeletedBetweenTwoTicksGivesTheMissingMessageAndKeepsTheColour) {
    Click(form->CheckBackImage);
    const std::string path = Write("deleted.bmp", Bmp24(Solid(5, 5, 0xFF0000)));
    form->Background().LoadPictureFile(path);
    Click(form->CheckBackImage);
    ASSERT_TRUE(PreviewIsUniform(kBackColour));
    ASSERT_TRUE(::DeleteFileA(path.c_str()));

    MessageBoxRecorder boxes;
    Click(form->CheckBackImage);
    ASSERT_EQ(boxes.messages.size(), 1u);
    EXPECT_EQ(boxes.messages[0].text, path + "がありません。");
    EXPECT_EQ(boxes.messages[0].flags, static_cast<UINT>(MB_OK));
    EXPECT_EQ(boxes.messages[0].caption, "Velmira");
    EXPECT_TRUE(PreviewIsUniform(kBackColour));
    EXPECT_EQ(form->Background().ImagePath(), path);
    EXPECT_TRUE(form->Background().UseImage());
}

// ---- Typed paths ----------------------------------------------------------------------------------------------

TEST_F(BackgroundImage, EnterLoadsTheTypedPathAndIsSwallowed) {
    Click(form->CheckBackImage);
    const TestPicture picture = GradientPicture(30, 20);
    const std::string path = Write("typed.bmp", Bmp24(picture));
    MessageBoxRecorder boxes;
    EXPECT_EQ(TypeAndPressEnter(path), 0);
    EXPECT_TRUE(boxes.messages.empty());
    EXPECT_EQ(form->EditBackImage.Text(), path);
    EXPECT_EQ(form->Background().ImagePath(), path);
    ExpectTiled(picture);
}

TEST_F(BackgroundImage, OnlyEnterActsAmongTheKeys) {
    Click(form->CheckBackImage);
    const std::string path = Write("key.bmp", Bmp24(Solid(4, 4, 0x0000FF)));
    form->EditBackImage.SetText(path);
    MessageBoxRecorder boxes;
    for (const char key : {'a', '\n', '\x1b', '\b'}) {
        char k = key;
        form->EditBackImage.OnKeyPress(k);
        EXPECT_EQ(k, key);
    }
    EXPECT_TRUE(form->Background().ImagePath().empty());
    EXPECT_TRUE(PreviewIsUniform(kBackColour));
    char enter = '\r';
    form->EditBackImage.OnKeyPress(enter);
    EXPECT_EQ(enter, 0);
    EXPECT_TRUE(PreviewIsUniform(RGB(0, 0, 255)));
    EXPECT_TRUE(boxes.messages.empty());
}

TEST_F(BackgroundImage, EnterInAnEmptyEditShowsTheSuffixAlone) {
    Click(form->CheckBackImage);
    MessageBoxRecorder boxes;
    EXPECT_EQ(TypeAndPressEnter(""), 0);
    ASSERT_EQ(boxes.messages.size(), 1u);
    EXPECT_EQ(boxes.messages[0].text, "がありません。");
    EXPECT_TRUE(form->Background().ImagePath().empty());
}

// ---- The existence test ---------------------------------------------------------------------------------------

TEST_F(BackgroundImage, OnlyOrdinaryFilesExist) {
    const std::string plain = Write("plain.bmp", "x");
    const std::string readOnly = Write("readonly.bmp", "x");
    ::SetFileAttributesA(readOnly.c_str(), FILE_ATTRIBUTE_READONLY);
    const std::string hidden = Write("hidden.bmp", "x");
    ::SetFileAttributesA(hidden.c_str(), FILE_ATTRIBUTE_HIDDEN);
    const std::string system = Write("system.bmp", "x");
    ::SetFileAttributesA(system.c_str(), FILE_ATTRIBUTE_SYSTEM);
    ::CreateDirectoryA(PathOf("folder.bmp").c_str(), nullptr);
    // A folder that matches a pattern first does not hide an ordinary file matching it later.
    ::CreateDirectoryA(PathOf("mix1.bmp").c_str(), nullptr);
    Write("mix2.bmp", "x");

    struct Case {
        std::string path;
        bool exists;
    };
    const Case cases[] = {
        {plain, true},
        {readOnly, true},
        {hidden, false},
        {system, false},
        {PathOf("folder.bmp"), false},
        {PathOf("nothing.bmp"), false},
        {PathOf("pl?in.bmp"), true},   // wildcards act as wildcards
        {PathOf("mix*.bmp"), true},
        {PathOf("folder*"), false},
        {"", false},
        {PathOf(std::string(300, 'a') + ".bmp"), false},  // past the 260-byte buffer: refused whole
    };
    for (const Case& c : cases) {
        MessageBoxRecorder boxes;
        EXPECT_EQ(form->Background().FindFile(c.path, false), c.exists) << c.path;
        EXPECT_TRUE(boxes.messages.empty());
        EXPECT_EQ(form->Background().FindFile(c.path, true), c.exists) << c.path;
        if (c.exists) {
            EXPECT_TRUE(boxes.messages.empty()) << c.path;
        } else {
            ASSERT_EQ(boxes.messages.size(), 1u) << c.path;
            EXPECT_EQ(boxes.messages[0].text, c.path + "がありません。");
        }
    }
}

TEST_F(BackgroundImage, PathsOfTheBufferSizeAndBeyondAreRefusedWithoutHarm) {
    // 259 bytes and a terminating zero fill the buffer exactly; one byte more no longer fits.
    for (const std::size_t length : {259u, 260u, 261u, 1000u, 40000u}) {
        std::string path = PathOf("");
        path += std::string(length - path.size() - 4, 'b') + ".bmp";
        ASSERT_EQ(path.size(), length);
        MessageBoxRecorder boxes;
        form->Background().LoadPictureFile(path);
        ASSERT_EQ(boxes.messages.size(), 1u);
        EXPECT_EQ(boxes.messages[0].text, path + "がありません。");
        EXPECT_TRUE(form->Background().ImagePath().empty());
    }
}

TEST_F(BackgroundImage, ExtensionsDecideTheFormatInAnyCase) {
    const struct {
        const char* path;
        int format;
    } cases[] = {
        {"C:\\p\\PHOTO.JPG", 2}, {"a.Jpeg", 2},       {"X.BMP", 1},           {"x.jpe", 3},
        {"x.png", 3},            {"C:\\dir.bmp\\x", 3}, {"表.bmp", 1},          {"C:\\表\\x.JPG", 2},
        {"noext", 3},            {"", 3},             {"C:\\a.jpg\\b.BmP", 1}, {"d:x.jpeg", 2},
    };
    for (const auto& c : cases) EXPECT_EQ(form->Background().CheckFormat(c.path), c.format) << c.path;
}

// ---- Failures -------------------------------------------------------------------------------------------------

// What the preview, ImagePath and the edit show after a load that fails past the existence test.
struct FailureCase {
    const char* name;
    std::string bytes;
    std::string message;  // empty: any JPEG error
    UINT flags;
};

TEST_F(BackgroundImage, FailedLoadsKeepThePictureAndTheEditButTakeThePath) {
    const std::string bmp = Bmp24(GradientPicture(20, 20));
    std::string truncatedBmp = bmp.substr(0, bmp.size() - 100);
    std::string badHeader = bmp;
    badHeader[28] = 7;  // seven bits per pixel
    velmira::test::JpegFormat jpegFormat;
    const std::string jpeg = velmira::test::EncodeJpeg(jpegFormat, GradientPicture(64, 64));
    const FailureCase cases[] = {
        {"truncated.bmp", truncatedBmp, kDamagedMessage, MB_OK | MB_ICONERROR},
        {"badheader.bmp", badHeader, kDamagedMessage, MB_OK | MB_ICONERROR},
        {"empty.bmp", "", kDamagedMessage, MB_OK | MB_ICONERROR},
        {"text.bmp", "not a picture at all", kDamagedMessage, MB_OK | MB_ICONERROR},
        {"bitmap.jpg", bmp, velmira::JpegErrorMessage(JERR_NO_SOI) + ".", MB_OK | MB_ICONERROR},
        {"headeronly.jpg", jpeg.substr(0, 40), "", MB_OK | MB_ICONERROR},
        {"empty.jpeg", "", "", MB_OK | MB_ICONERROR},
        {"picture.png", bmp, kUnsupportedMessage, MB_OK},
        {"noextension", bmp, kUnsupportedMessage, MB_OK},
        {"photo.jpe", jpeg, kUnsupportedMessage, MB_OK},
    };
    Click(form->CheckBackImage);
    for (const FailureCase& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string before = Write("before.bmp", Bmp24(Solid(6, 6, 0x00FF00)));
        form->Background().LoadPictureFile(before);
        ASSERT_TRUE(PreviewIsUniform(RGB(0, 255, 0)));
        const std::string path = Write(c.name, c.bytes);

        MessageBoxRecorder boxes;
        EXPECT_EQ(TypeAndPressEnter(path), 0);
        ASSERT_EQ(boxes.messages.size(), 1u);
        if (c.message.empty()) {
            EXPECT_EQ(boxes.messages[0].text.rfind("JPEG エラー #", 0), 0u) << boxes.messages[0].text;
            EXPECT_EQ(boxes.messages[0].text.back(), '.');
        } else {
            EXPECT_EQ(boxes.messages[0].text, c.message);
        }
        EXPECT_EQ(boxes.messages[0].flags, c.flags);
        EXPECT_EQ(boxes.messages[0].caption, "Velmira");
        EXPECT_EQ(form->Background().ImagePath(), path);
        EXPECT_TRUE(PreviewIsUniform(RGB(0, 255, 0)));
        // The edit shows what was typed; a direct load leaves the previous path there.
        form->Background().LoadPictureFile(before);
        boxes.messages.clear();
        if (c.flags & MB_ICONERROR) {
            EXPECT_THROW(form->Background().LoadPictureFile(path), std::runtime_error);
        } else {
            form->Background().LoadPictureFile(path);
        }
        EXPECT_EQ(form->EditBackImage.Text(), before);
        EXPECT_EQ(form->Background().ImagePath(), path);
    }
}

TEST_F(BackgroundImage, MissingFileChangesNothing) {
    LoadGoodPicture(0x0000FF);
    const std::string before = form->Background().ImagePath();
    MessageBoxRecorder boxes;
    const std::string missing = PathOf("missing.bmp");
    form->Background().LoadPictureFile(missing);
    ASSERT_EQ(boxes.messages.size(), 1u);
    EXPECT_EQ(boxes.messages[0].text, missing + "がありません。");
    EXPECT_EQ(boxes.messages[0].flags, static_cast<UINT>(MB_OK));
    EXPECT_EQ(form->Background().ImagePath(), before);
    EXPECT_EQ(form->EditBackImage.Text(), before);
    EXPECT_TRUE(PreviewIsUniform(RGB(0, 0, 255)));
}

// ---- Dropped files --------------------------------------------------------------------------------------------

TEST_F(BackgroundImage, DroppedFilesLoadInOrderEachFailureReportedAndTheLastShown) {
    const std::string red = Write("red.bmp", Bmp24(Solid(3, 3, 0xFF0000)));
    const std::string damaged = Write("damaged.bmp", "BM broken");
    const TestPicture last = GradientPicture(17, 13);
    const std::string lastPath = Write("last.bmp", Bmp24(last));
    const std::string missing = PathOf("gone.bmp");
    Click(form->CheckBackImage);

    MessageBoxRecorder boxes;
    Drop({missing, red, damaged, lastPath});
    ASSERT_EQ(boxes.messages.size(), 2u);
    EXPECT_EQ(boxes.messages[0].text, missing + "がありません。");
    EXPECT_EQ(boxes.messages[1].text, kDamagedMessage);
    EXPECT_EQ(form->Background().ImagePath(), lastPath);
    EXPECT_EQ(form->EditBackImage.Text(), lastPath);
    ExpectTiled(last);

    // Three good files: each one is drawn in turn, the last stays.
    boxes.messages.clear();
    const std::string blue = Write("blue.bmp", Bmp24(Solid(3, 3, 0x0000FF)));
    Drop({lastPath, blue, red});
    EXPECT_TRUE(boxes.messages.empty());
    EXPECT_EQ(form->Background().ImagePath(), red);
    EXPECT_TRUE(PreviewIsUniform(RGB(255, 0, 0)));
}

TEST_F(BackgroundImage, DropWhileUntickedDrawsButChangesNoState) {
    const std::string path = Write("dropped.bmp", Bmp24(Solid(4, 4, 0xFFFF00)));
    Drop({path});
    EXPECT_FALSE(form->CheckBackImage.Checked());
    EXPECT_FALSE(form->Background().UseImage());
    EXPECT_FALSE(form->EditBackImage.Enabled());
    EXPECT_TRUE(form->EditBR.Enabled());
    EXPECT_EQ(form->EditBackImage.Text(), path);
    EXPECT_TRUE(PreviewIsUniform(RGB(255, 255, 0)));
    // The next colour update paints the colour over it.
    form->UpdateColor();
    EXPECT_TRUE(PreviewIsUniform(kBackColour));
}

TEST_F(BackgroundImage, DroppedPathsLongerThanMaxPathArriveWhole) {
    std::string deep = PathOf("");
    while (deep.size() < 280) {
        deep += "長いフォルダ名\\";
        ::CreateDirectoryA(deep.c_str(), nullptr);
    }
    const std::string path = deep + "picture.bmp";
    MessageBoxRecorder boxes;
    Drop({path});
    // Not cut at 260 bytes: the whole path reaches the existence test, which refuses it.
    ASSERT_EQ(boxes.messages.size(), 1u);
    EXPECT_EQ(boxes.messages[0].text, path + "がありません。");
}

// ---- Plug-ins -------------------------------------------------------------------------------------------------

TEST_F(BackgroundImage, WithoutPlugInsTheFilterHoldsTheFourFixedEntries) {
    ::CreateDirectoryA(PathOf("noplugins").c_str(), nullptr);
    form->Background().OpenDialog().FilterIndex = 3;
    form->Background().SetSpiPath(PathOf("noplugins"));
    form->Background().SetSPI();
    testsupport::WaitForPluginDescriptions(*form);
    EXPECT_EQ(form->Background().OpenDialog().Filter,
              "ｲﾒｰｼﾞﾌｧｲﾙ|;*.bmp;*.jpg;*.jpeg|jpegﾌｧｲﾙ(*.jpg;*.jpeg)|*.jpg;*.jpeg|BMPﾌｧｲﾙ(*.bmp)|*.bmp|すべてのﾌｧｲﾙ(*.*)|*.*");
    EXPECT_EQ(form->Background().OpenDialog().FilterIndex, 3);
    EXPECT_EQ(form->Background().SpiLoader().GetCount(), 0);
}

TEST_F(BackgroundImage, OtherFormatsAreDecodedByAPlugIn) {
    const std::string plugins = PathOf("plugins");
    ::CreateDirectoryA(plugins.c_str(), nullptr);
    ASSERT_TRUE(::CopyFileA((testsupport::ProgramFolder() + "plugins\\ppm.spi").c_str(),
                            (plugins + "\\ppm.spi").c_str(), FALSE));
    form->Background().SetSpiPath(plugins);
    form->Background().SetSPI();
    testsupport::WaitForPluginDescriptions(*form);
    EXPECT_EQ(form->Background().OpenDialog().Filter,
              "ｲﾒｰｼﾞﾌｧｲﾙ|;*.ppm;*.pgm;*.bmp;*.jpg;*.jpeg|jpegﾌｧｲﾙ(*.jpg;*.jpeg)|*.jpg;*.jpeg|PPM/PGM|*.ppm;*.pgm|"
              "BMPﾌｧｲﾙ(*.bmp)|*.bmp|すべてのﾌｧｲﾙ(*.*)|*.*");

    // A 3 x 2 picture: red, green, blue over white, black, grey.
    std::string ppm = "P6\n3 2\n255\n";
    for (const unsigned char v : {255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 255, 0, 0, 0, 128, 128, 128})
        ppm.push_back(static_cast<char>(v));
    const std::string path = Write("plug.ppm", ppm);
    MessageBoxRecorder boxes;
    Drop({path});
    EXPECT_TRUE(boxes.messages.empty());
    EXPECT_EQ(form->EditBackImage.Text(), path);
    const TestPicture expected{3, 2, {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF, 0x000000, 0x808080}};
    ExpectTiled(expected);

    // A file the plug-in does not accept.
    boxes.messages.clear();
    const std::string other = Write("other.ppm", "P9 nothing");
    Drop({other});
    ASSERT_EQ(boxes.messages.size(), 1u);
    EXPECT_EQ(boxes.messages[0].text, kUnsupportedMessage);
    EXPECT_EQ(form->Background().ImagePath(), other);
    EXPECT_EQ(form->EditBackImage.Text(), path);
    ExpectTiled(expected);
    form.reset();  // unloads the plug-in before the folder is emptied
}

}  // namespace
}  // namespace backgroundtest
