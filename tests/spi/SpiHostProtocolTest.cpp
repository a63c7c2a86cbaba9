#include "spi/SpiHostProtocol.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace velmira::spihost {
namespace {

using namespace std::string_literals;

TEST(SpiHostProtocol, RequestTextsComeBackAsTheyWentInAndNothingElseIsRead) {
    const RequestText sent{"C:\\表\\a.png", "C:\\work", {"C:\\p\\a.spi", "", "C:\\p\\b.spi"}};
    const std::optional<std::string> packed = PackRequestText(sent);
    ASSERT_TRUE(packed);
    const std::optional<RequestText> read = UnpackRequestText(packed->data(), packed->size());
    ASSERT_TRUE(read);
    EXPECT_EQ(read->fileName, sent.fileName);
    EXPECT_EQ(read->folder, sent.folder);
    EXPECT_EQ(read->plugins, sent.plugins);

    EXPECT_FALSE(PackRequestText({"a\0b"s, "", {}})) << "a text with a zero byte";
    EXPECT_FALSE(PackRequestText({std::string(sizeof ControlBlock::text, 'x'), "", {}})) << "more than the block";
    EXPECT_FALSE(UnpackRequestText("a\0b"s.data(), 3)) << "the last text unterminated";
    EXPECT_FALSE(UnpackRequestText("a\0"s.data(), 2)) << "no folder";
}

// What the helper writes, as a lying helper might write it, against what the program takes of it.
TEST(SpiHostProtocol, AHelpersAnswerIsTakenOnlyWithinWhatWasAsked) {
    HelperFields decoded{};
    decoded.answer = kDecoded;
    decoded.width = 1000;
    decoded.height = 50;
    decoded.visibleWidth = 163;
    decoded.visibleHeight = 50;
    const std::optional<PictureSizes> sizes = DecodedSizes(decoded, 163, 188);
    ASSERT_TRUE(sizes);
    EXPECT_EQ(sizes->visibleWidth, 163);
    EXPECT_EQ(sizes->visibleHeight, 50);

    struct Case {
        const char* name;
        std::int32_t width, height, visibleWidth, visibleHeight;
    };
    const Case lies[] = {
        {"a visible part larger than asked", 1000, 1000, 1000, 1000},
        {"a visible part larger than the picture", 10, 10, 11, 10},
        {"a visible part smaller than it should be", 1000, 1000, 100, 188},
        {"no width", 0, 10, 0, 10},
        {"no height", 10, 0, 10, 0},
        {"a negative height", 10, -1, 10, -1},
        {"sizes that wrap", INT32_MIN, 10, INT32_MIN, 10},
    };
    for (const Case& c : lies) {
        HelperFields answer{};
        answer.answer = kDecoded;
        answer.width = c.width;
        answer.height = c.height;
        answer.visibleWidth = c.visibleWidth;
        answer.visibleHeight = c.visibleHeight;
        EXPECT_FALSE(DecodedSizes(answer, 163, 188)) << c.name;
    }
    // The smallest picture shown whole, and a picture where nothing may be shown.
    HelperFields dot = decoded;
    dot.width = dot.height = dot.visibleWidth = dot.visibleHeight = 1;
    EXPECT_TRUE(DecodedSizes(dot, 1, 1));
    HelperFields hidden = decoded;
    hidden.visibleWidth = 0;
    EXPECT_FALSE(DecodedSizes(hidden, 0, 188));
    hidden = decoded;
    hidden.visibleHeight = 0;
    EXPECT_FALSE(DecodedSizes(hidden, 163, 0));
    HelperFields notDecoded = decoded;
    notDecoded.answer = kNotDecoded;
    EXPECT_FALSE(DecodedSizes(notDecoded, 163, 188));

    HelperFields found{};
    found.answer = kFound;
    for (const auto& [index, expected] : std::vector<std::pair<std::int32_t, bool>>{
             {2, true}, {1, false}, {5, false}, {-1, false}, {INT32_MAX, false}}) {
        found.found = index;
        EXPECT_EQ(FoundPlugin(found, 2, 5).has_value(), expected) << index;
    }
    found.found = 0;
    EXPECT_EQ(FoundPlugin(found, 0, 5), std::optional<std::size_t>(0)) << "the first plug-in of the list";
    found.found = 3;
    found.answer = kNotFound;
    EXPECT_FALSE(FoundPlugin(found, 0, 5));

    // Read out of the shared block once, as the helper left it.
    auto block = std::make_unique<ControlBlock>();
    block->helper.described = 0xFFFFFFFFu;
    block->helper.replyBytes = 0xFFFFFFFFu;
    block->helper.calling = 7;
    const HelperFields counts = ReadHelperFields(*block);
    EXPECT_EQ(DescribedCount(counts, 1), 1u);
    EXPECT_EQ(ReplyBytes(counts), kReplyBytes);
    EXPECT_FALSE(CallingPlugin(counts, 7));
    EXPECT_EQ(CallingPlugin(counts, 8), std::optional<std::size_t>(7));
    HelperFields none = counts;
    none.calling = kNoPlugin;
    EXPECT_FALSE(CallingPlugin(none, 8));
}

TEST(SpiHostProtocol, TheSectionForTheVisiblePartIsSizedIn64Bits) {
    EXPECT_EQ(SectionBytes(163, 188, 1u << 26), std::optional<std::uint32_t>(163u * 188u * 4u));
    EXPECT_FALSE(SectionBytes(65536, 65536, 0xFFFFFFFFu)) << "2^34 bytes, 0 in 32 bits";
    EXPECT_FALSE(SectionBytes(4096, 4097, 1u << 26)) << "past the limit";
    EXPECT_FALSE(SectionBytes(0, 10, 1u << 26));
    EXPECT_FALSE(SectionBytes(10, -1, 1u << 26));
}

TEST(SpiHostProtocol, DescriptionsAreReadOnlyWhenTerminatedAndWithinThePluginsBuffer) {
    char reply[256] = {};
    std::size_t used = 0;
    ASSERT_TRUE(AppendDescription({SpiPluginState::Usable, "*.png", "PNG"}, reply, sizeof reply, used));
    ASSERT_TRUE(AppendDescription({SpiPluginState::Crashed, "*.x", "ignored"}, reply, sizeof reply, used));
    EXPECT_FALSE(AppendDescription({SpiPluginState::Usable, std::string(300, 'p'), ""}, reply, sizeof reply, used));
    const auto read = ReadDescriptions(reply, used, 2);
    ASSERT_TRUE(read);
    EXPECT_EQ((*read)[0].pattern, "*.png");
    EXPECT_EQ((*read)[0].description, "PNG");
    EXPECT_EQ((*read)[1].state, SpiPluginState::Crashed);
    EXPECT_EQ((*read)[1].pattern, "");

    struct Case {
        const char* name;
        std::string bytes;
    };
    const Case lies[] = {
        {"unterminated", "U*.png\0PNG"s},
        {"an unknown state", "X*.png\0PNG\0"s},
        {"fewer than asked", ""s},
        {"a pattern longer than the buffer", "U" + std::string(kMaxInfoText + 1, 'p') + "\0PNG\0"s},
        {"a description longer than the buffer", "U*.png\0"s + std::string(kMaxInfoText + 1, 'd') + "\0"s},
    };
    for (const Case& c : lies) EXPECT_FALSE(ReadDescriptions(c.bytes.data(), c.bytes.size(), 1)) << c.name;
}

}  // namespace
}  // namespace velmira::spihost
