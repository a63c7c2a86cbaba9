// The bundled plug-in's information calls, made as the plug-in helper makes them when a start finds the plug-in
// new or changed, in a process that has not loaded the imaging component: they must answer without starting COM
// or loading it.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "spi/SpiInterface.h"
#include "ui/SystemLibrary.h"
#include "ui/UniqueHandle.h"
#include "support/ProgramFolder.h"

namespace {

std::string PluginPath() {
    return testsupport::ProgramFolder() + "..\\velmira_wic.spi";  // the build puts the plug-in beside the program
}

bool Loaded(const char* module) {
    return ::GetModuleHandleA(module) != nullptr;
}

TEST(WicInfoTest, InformationCallsLoadNeitherTheImagingComponentNorCom) {
    ASSERT_FALSE(Loaded("windowscodecs.dll")) << "this test's process must start without it";
    ASSERT_FALSE(Loaded("oleaut32.dll"));
    const ui::UniqueModule plugin(::LoadLibraryA(PluginPath().c_str()));
    ASSERT_TRUE(plugin) << PluginPath();
    const auto info = ui::ExportOf<spi::GetPluginInfoFn>(plugin.get(), "GetPluginInfo");
    ASSERT_NE(info, nullptr);

    // The host's sequence: pattern and description pairs from index 2 on, until one answers 0.
    char pattern[260] = {};
    char description[260] = {};
    EXPECT_GT(info(2, pattern, sizeof pattern), 0);
    EXPECT_GT(info(3, description, sizeof description), 0);
    EXPECT_EQ(info(4, pattern, sizeof pattern), 0);

    EXPECT_EQ(std::string(pattern).rfind("*.png;*.gif;*.tif;*.tiff;*.webp;*.ico", 0), 0u) << pattern;
    EXPECT_STREQ(description, "PNG/GIF/TIFF/WebP/ICO ﾌｧｲﾙ");
    EXPECT_FALSE(Loaded("windowscodecs.dll")) << "the information calls loaded the imaging component";
    EXPECT_FALSE(Loaded("oleaut32.dll")) << "the information calls started COM automation";
}

}  // namespace
