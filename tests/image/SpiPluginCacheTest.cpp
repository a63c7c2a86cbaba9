#include "image/SpiPluginCache.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace velmira {
namespace {

// What the helper found about each plug-in file comes back from the cache file as it went in, texts of code page
// 932 included; what cannot be written on one line is left for the helper to ask again.
TEST(SpiPluginCache, KeepsEveryEntryThatFitsOneLineAndReadsNothingElse) {
    const std::vector<SpiCacheEntry> entries = {
        {"C:\\表示\\a.spi", 12345, 0x01D9ABCDEF012345ull, SpiPluginState::Usable, "*.png;*.gif", "PNG ﾌｧｲﾙ"},
        {"C:\\p\\not.spi", 4, 7, SpiPluginState::NotAPlugin, "", ""},
        {"C:\\p\\crash.spi", 0, 0, SpiPluginState::Crashed, "", ""},
        {"C:\\p\\hang.spi", 1, 2, SpiPluginState::Hung, "", ""},
    };
    std::vector<SpiCacheEntry> withTab = entries;
    withTab.push_back({"C:\\p\\tab.spi", 1, 1, SpiPluginState::Usable, "*.a", "tab\there"});
    const std::vector<SpiCacheEntry> read = ParseSpiCache(FormatSpiCache(withTab));
    ASSERT_EQ(read.size(), entries.size());
    for (std::size_t i = 0; i < entries.size(); ++i) {
        EXPECT_EQ(read[i].path, entries[i].path);
        EXPECT_EQ(read[i].size, entries[i].size);
        EXPECT_EQ(read[i].time, entries[i].time);
        EXPECT_EQ(read[i].state, entries[i].state);
        EXPECT_EQ(read[i].pattern, entries[i].pattern);
        EXPECT_EQ(read[i].description, entries[i].description);
    }

    const std::string good = "U\t1\t2\tC:\\a.spi\t*.a\tA\r\n";
    const std::string first = FormatSpiCache({});
    struct Case {
        const char* name;
        std::string text;
        std::size_t entries;
    };
    const Case cases[] = {
        {"one entry", first + good, 1},
        {"line ends without CR", first + "U\t1\t2\tC:\\a.spi\t*.a\tA\n", 1},
        {"another format's first line", "Velmira plug-in cache 2\r\n" + good, 0},
        {"no first line", good, 0},
        {"an unknown state", first + "X\t1\t2\tC:\\a.spi\t*.a\tA\r\n" + good, 1},
        {"a size that is no number", first + "U\t1x\t2\tC:\\a.spi\t*.a\tA\r\n" + good, 1},
        {"a field short", first + "U\t1\t2\tC:\\a.spi\t*.a\r\n" + good, 1},
        {"no path", first + "U\t1\t2\t\t*.a\tA\r\n" + good, 1},
        {"an empty file", "", 0},
    };
    for (const Case& c : cases) EXPECT_EQ(ParseSpiCache(c.text).size(), c.entries) << c.name;
}

}  // namespace
}  // namespace velmira
