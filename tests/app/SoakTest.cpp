// A long run of everything the user does over and over: colour changes, picks, picture loads (BMP, JPEG,
// plug-in), palette openings and plug-in folder reloads. Every handle, window and module the program creates
// must be released again: the counts after the first round equal those after the last, and memory stays flat.
//
// The full run (10,000 colour changes, 1,000 picks, 1,000 loads, 200 palette openings, 100 reloads) is the
// default; VELMIRA_SOAK_ROUNDS=n runs n of its 100 rounds (at least 2), for a quick look.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "app/MainForm.h"
#include "palettewindows/ColorPallet.h"
#include "support/LiveCounts.h"
#include "support/PictureWriter.h"
#include "support/WindowTestSupport.h"
#include "ui/Dpi.h"
#include "ui/Form.h"

namespace {

using testsupport::CountLive;
using testsupport::LiveCounts;

constexpr int kRounds = 100;
constexpr int kColourChangesPerRound = 100;
constexpr int kPicksPerRound = 10;
constexpr int kLoadsPerRound = 10;
constexpr int kPalletOpeningsPerRound = 2;
constexpr int kReloadsPerRound = 1;
// Growth of committed memory from the first round to the last that still counts as flat: far below what
// keeping one decoded preview per load (about 120 kB x 1,000) would add.
constexpr SIZE_T kMemoryGrowthBound = 24u << 20;

int Rounds() {
    const char* text = std::getenv("VELMIRA_SOAK_ROUNDS");
    const int rounds = text ? std::atoi(text) : kRounds;
    return rounds < 2 ? 2 : (rounds > kRounds ? kRounds : rounds);
}

std::string Hex2(int v) {
    char text[3];
    std::snprintf(text, sizeof text, "%02X", v & 0xFF);
    return text;
}

class Soak : public ::testing::Test {
protected:
    void SetUp() override {
        testsupport::RemoveSettings();
        folder_ = testsupport::ProgramFolder() + "soak\\";
        CreateDirectoryA(folder_.c_str(), nullptr);
        // A folder of its own with the one plug-in: the other test plug-ins accept every file.
        pluginFolder_ = folder_ + "plugins\\";
        CreateDirectoryA(pluginFolder_.c_str(), nullptr);
        ASSERT_TRUE(CopyFileA((testsupport::ProgramFolder() + "plugins\\ppm.spi").c_str(),
                              (pluginFolder_ + "ppm.spi").c_str(), FALSE));
        WritePictures();
        // The sight asks for the DPI under the pointer through a system library that is loaded once and kept for
        // the process: loaded now, it counts among what was there before the window.
        ui::DpiAtPoint(POINT{0, 0});
        beforeForm_ = CountLive();
        form_ = testsupport::NewMainForm([this](ui::Form& shown) { palletShown_(shown); });
        form_->Show();
        testsupport::PumpPending();
        form_->Background().SetSpiPath(pluginFolder_);
        form_->Background().SetSPI();
        testsupport::WaitForPluginDescriptions(*form_);
    }
    void TearDown() override {
        form_.reset();
        for (const std::string& name : files_) DeleteFileA((folder_ + name).c_str());
        DeleteFileA((pluginFolder_ + "ppm.spi").c_str());
        RemoveDirectoryA(pluginFolder_.c_str());
        RemoveDirectoryA(folder_.c_str());
        testsupport::RemoveSettings();
    }

    void WritePictures() {
        using namespace velmira::test;
        testsupport::WriteFile(folder_ + "soak.bmp", EncodeBmp(BmpFormat{}, GradientPicture(40, 30)));
        testsupport::WriteFile(folder_ + "soak.jpg", EncodeJpeg(JpegFormat{}, GradientPicture(200, 220)));
        std::string ppm = "P6\n3 2\n255\n";
        for (int i = 0; i < 18; ++i) ppm.push_back(static_cast<char>(i * 13));
        testsupport::WriteFile(folder_ + "soak.ppm", ppm);
        files_ = {"soak.bmp", "soak.jpg", "soak.ppm"};
    }

    void ColourChanges(int round) {
        for (int i = 0; i < kColourChangesPerRound; ++i) {
            const int v = round * kColourChangesPerRound + i;
            if (i % 2 == 0) {
                form_->FontColor().SetChannels(Hex2(v), Hex2(v >> 3), Hex2(v * 7));
            } else {
                form_->BackGColor().SetChannels(Hex2(v * 5), Hex2(v), Hex2(v >> 2));
            }
        }
    }

    void Picks() {
        for (int i = 0; i < kPicksPerRound; ++i) {
            const bool intoText = i % 2 == 0;
            form_->ImageScopeStartDrag(intoText ? form_->ImageScopeFont : form_->ImageScopeBackG);
            testsupport::PumpPending();
            if (intoText) form_->ImageScopeFontEndDrag();
            else form_->ImageScopeBackGEndDrag();
            testsupport::PumpPending();
        }
    }

    void Loads(testsupport::MessageBoxRecorder& boxes) {
        for (int i = 0; i < kLoadsPerRound; ++i) form_->Background().LoadPictureFile(folder_ + files_[i % files_.size()]);
        testsupport::PumpPending();
        ASSERT_TRUE(boxes.messages.empty()) << boxes.messages.front().text << " / " << boxes.messages.front().caption;
        ASSERT_EQ(form_->EditBackImage.Text(), folder_ + files_[(kLoadsPerRound - 1) % files_.size()]);
    }

    void PalletOpenings(int round) {
        for (int i = 0; i < kPalletOpeningsPerRound; ++i) {
            const bool ok = (round + i) % 2 == 0;
            palletShown_ = [ok, i](ui::Form& shown) {
                auto& pallet = static_cast<TColorPallet&>(shown);
                pallet.PalletClick(pallet.Panels[static_cast<std::size_t>(i * 7 % TColorPallet::kSlotCount)]);
                (ok ? pallet.BtnOk : pallet.BtnCancel).Click();
            };
            if (i % 2 == 0) form_->BtnSaveFontClick();
            else form_->BtnLoadFontClick();
        }
        testsupport::PumpPending();
    }

    // Each reload unloads every plug-in of the folder and loads them again.
    void Reloads() {
        for (int i = 0; i < kReloadsPerRound; ++i) {
            form_->Background().SetSPI();
            testsupport::WaitForPluginDescriptions(*form_);
        }
    }

    std::string folder_;
    std::string pluginFolder_;
    LiveCounts beforeForm_;
    std::vector<std::string> files_;
    ui::ModalShown palletShown_;
    std::unique_ptr<TMainForm> form_;
};

TEST_F(Soak, CountsOfEveryHandleAndWindowStayFlatOverTheWholeRun) {
    testsupport::MessageBoxRecorder boxes;
    const int rounds = Rounds();
    const auto start = std::chrono::steady_clock::now();
    LiveCounts first;
    SIZE_T firstMemory = 0;
    int roundsAway = 0;
    for (int round = 0; round < rounds; ++round) {
        ColourChanges(round);
        Picks();
        ASSERT_NO_FATAL_FAILURE(Loads(boxes));
        PalletOpenings(round);
        Reloads();
        ASSERT_EQ(form_->Background().SpiLoader().GetCount(), 1);  // the ppm plug-in, reloaded
        const LiveCounts now = CountLive();
        if (round == 0) {
            first = now;
            firstMemory = testsupport::PrivateBytes();
            std::printf("after the first round: %s; %lu kB committed\n", now.Text().c_str(),
                        static_cast<unsigned long>(firstMemory / 1024));
        } else if (now != first) {
            ++roundsAway;
            ADD_FAILURE() << "round " << round << ": " << now.Text() << "\n  first round: " << first.Text();
            if (roundsAway > 3) return;
        }
    }
    const LiveCounts last = CountLive();
    const SIZE_T lastMemory = testsupport::PrivateBytes();
    const auto seconds =
        std::chrono::duration_cast<std::chrono::seconds>(std::chrono::steady_clock::now() - start).count();
    std::printf("after round %d: %s; %lu kB committed; %lld s\n", rounds, last.Text().c_str(),
                static_cast<unsigned long>(lastMemory / 1024), static_cast<long long>(seconds));
    std::printf("operations: %d colour changes, %d picks, %d loads, %d palette openings, %d plug-in reloads\n",
                rounds * kColourChangesPerRound, rounds * kPicksPerRound, rounds * kLoadsPerRound,
                rounds * kPalletOpeningsPerRound, rounds * kReloadsPerRound);
    EXPECT_EQ(last, first) << last.Text() << "\n  first round: " << first.Text();
    // The counts are not flat by being empty: the run held windows and the preview's bitmap. The plug-in loaded
    // in the helper process: no module of it is ever counted here.
    EXPECT_GT(first.windows, 20);
    EXPECT_EQ(first.modules, beforeForm_.modules);
    EXPECT_GE(first.bitmaps, 1);
    if (firstMemory != 0) {
        EXPECT_LT(lastMemory, firstMemory + kMemoryGrowthBound);
    }
    // Once the main window is gone, nothing of it is left.
    form_.reset();
    testsupport::PumpPending();
    const LiveCounts after = CountLive();
    for (const auto& [name, was, is] : {std::tuple{"windows", beforeForm_.windows, after.windows},
                                        std::tuple{"window objects", beforeForm_.windowObjects, after.windowObjects},
                                        std::tuple{"modules", beforeForm_.modules, after.modules},
                                        std::tuple{"bitmaps", beforeForm_.bitmaps, after.bitmaps},
                                        std::tuple{"regions", beforeForm_.regions, after.regions},
                                        std::tuple{"memory DCs", beforeForm_.memoryDCs, after.memoryDCs},
                                        std::tuple{"global blocks", beforeForm_.globals, after.globals},
                                        std::tuple{"searches", beforeForm_.finds, after.finds}})
        EXPECT_EQ(is, was) << name;
}

}  // namespace
