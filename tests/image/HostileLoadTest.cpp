// Hostile pictures and plug-ins through the real loader of the main window, as a typed path reaches it: each
// gives the program's message (the decoder's error, or the unsupported-format message for a plug-in's broken
// answer) or a sound picture, and the window carries on.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "app/MainForm.h"
#include "picture/BmpDecoder.h"
#include "image/JpegDecoder.h"
#include "support/HostilePictures.h"
#include "support/PictureWriter.h"
#include "support/WindowTestSupport.h"

namespace {

using velmira::test::HostileKind;
using velmira::test::HostilePicture;

const std::string kUnsupported = "未対応の画像フォーマットです。";

class HostileLoad : public ::testing::Test {
protected:
    void SetUp() override {
        testsupport::RemoveSettings();
        folder_ = testsupport::ProgramFolder() + "hostile\\";
        CreateDirectoryA(folder_.c_str(), nullptr);
        form_ = testsupport::NewMainForm();
        form_->Show();
        testsupport::PumpPending();
    }
    void TearDown() override {
        form_.reset();
        for (const std::string& path : written_) DeleteFileA(path.c_str());
        RemoveDirectoryA(folder_.c_str());
        testsupport::RemoveSettings();
    }
    std::string Write(const std::string& name, const std::string& bytes) {
        const std::string path = folder_ + name;
        testsupport::WriteFile(path, bytes);
        written_.push_back(path);
        return path;
    }
    // Enter in the picture's edit, the way a typed path is loaded.
    void Type(const std::string& path) {
        form_->EditBackImage.SetText(path);
        char key = '\r';
        form_->EditBackImageKeyPress(key);
        testsupport::PumpPending();
    }

    std::string folder_;
    std::vector<std::string> written_;
    std::unique_ptr<TMainForm> form_;
};

bool IsDecoderMessage(const std::string& text, HostileKind kind) {
    // The error display appends a full stop to a message that ends in Japanese text.
    if (kind == HostileKind::Bmp) return text == std::string(velmira::kBitmapErrorMessage) + ".";
    const std::string prefix = velmira::JpegErrorMessage(0).substr(0, velmira::JpegErrorMessage(0).size() - 1);
    return text.compare(0, prefix.size(), prefix) == 0 && text.size() > prefix.size();
}

TEST_F(HostileLoad, EveryHostilePictureGivesTheDecodersMessageOrASoundPicture) {
    testsupport::MessageBoxRecorder boxes;
    int refused = 0, decoded = 0;
    for (const HostilePicture& picture : velmira::test::HostilePictures(false)) {
        SCOPED_TRACE(picture.name);
        const std::string path = Write(picture.name + (picture.kind == HostileKind::Bmp ? ".bmp" : ".jpg"),
                                       picture.bytes);
        const std::size_t before = boxes.messages.size();
        Type(path);
        if (boxes.messages.size() == before) {
            ++decoded;
            EXPECT_EQ(form_->Background().ImagePath(), path);
        } else {
            ++refused;
            ASSERT_EQ(boxes.messages.size(), before + 1);
            EXPECT_TRUE(IsDecoderMessage(boxes.messages.back().text, picture.kind)) << boxes.messages.back().text;
            EXPECT_EQ(boxes.messages.back().flags & MB_ICONERROR, static_cast<UINT>(MB_ICONERROR));
        }
        DeleteFileA(path.c_str());
    }
    EXPECT_GT(refused, 50);
    EXPECT_GT(decoded, 5);
    // The window still works: a sound picture loads and shows.
    velmira::test::TestPicture red{2, 2, {0xFF0000, 0xFF0000, 0xFF0000, 0xFF0000}};
    const std::size_t before = boxes.messages.size();
    Type(Write("sound.bmp", velmira::test::EncodeBmp(velmira::test::BmpFormat{}, red)));
    EXPECT_EQ(boxes.messages.size(), before);
    EXPECT_EQ(form_->ImageBackG.Picture().Pixel(1, 1), RGB(255, 0, 0));
    EXPECT_EQ(form_->ImageBackG.Picture().Pixel(162, 187), RGB(255, 0, 0));
}

TEST_F(HostileLoad, BrokenPluginAnswersGiveTheUnsupportedFormatMessage) {
    const std::string plugins = folder_ + "plugins\\";
    CreateDirectoryA(plugins.c_str(), nullptr);
    ASSERT_TRUE(CopyFileA((testsupport::ProgramFolder() + "plugins\\hostile.spi").c_str(),
                          (plugins + "hostile.spi").c_str(), FALSE));
    form_->Background().SetSpiPath(plugins);
    form_->Background().SetSPI();
    testsupport::WaitForPluginDescriptions(*form_);
    ASSERT_EQ(form_->Background().SpiLoader().GetCount(), 1);
    testsupport::MessageBoxRecorder boxes;
    for (const char mode : std::string("whzWHqmsSbprctuiNPIgL")) {
        SCOPED_TRACE(std::string(1, mode));
        const std::string path = Write(std::string("mode_") + mode + ".hst", std::string("HOST") + mode);
        const std::size_t before = boxes.messages.size();
        Type(path);
        ASSERT_EQ(boxes.messages.size(), before + 1);
        EXPECT_EQ(boxes.messages.back().text, kUnsupported);
    }
    // Empty files and files of 0 bytes, whatever their extension, are refused with the program's messages.
    for (const char* name : {"empty.hst", "empty.bmp", "empty.jpg", "empty"}) {
        const std::size_t before = boxes.messages.size();
        Type(Write(name, ""));
        ASSERT_EQ(boxes.messages.size(), before + 1) << name;
    }
    const std::size_t before = boxes.messages.size();
    Type(Write("sound.hst", "HOST0"));
    EXPECT_EQ(boxes.messages.size(), before) << "the sound control picture loads";
    DeleteFileA((plugins + "hostile.spi").c_str());
    form_.reset();  // unloads the plug-in before its file and folder go
    DeleteFileA((plugins + "hostile.spi").c_str());
    RemoveDirectoryA(plugins.c_str());
}

}  // namespace
