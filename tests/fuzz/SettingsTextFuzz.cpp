// libFuzzer target: settings values as anyone may type them into the file: boolean keys, integer keys, channel
// strings, the open-file dialog's starting folder and the pick key.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "FuzzInput.h"
#include "color/ColorText.h"
#include "text/ChannelText.h"
#include "text/IntegerReading.h"
#include "settings/SettingsText.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const std::optional<std::int32_t> number = velmira::ReadInteger(text);
    FUZZ_CHECK(velmira::ReadBooleanText(text, false) == (number.value_or(0) != 0));
    FUZZ_CHECK(velmira::ReadBooleanText(text, true) == (number.value_or(1) != 0));

    // A channel string from the file: its value is always a channel value, whatever the text.
    const std::int32_t channel = velmira::ChannelValue(text);
    FUZZ_CHECK(channel >= 0 && channel <= 255);

    // The starting folder loses at most its one trailing backslash and is otherwise the text itself.
    const std::string folder = velmira::StartingFolder(text);
    FUZZ_CHECK(folder.size() == text.size() || folder.size() + 1 == text.size());
    FUZZ_CHECK(text.substr(0, folder.size()) == folder);
    if (folder.size() != text.size()) FUZZ_CHECK(text.back() == '\\');
    // Applying the rule twice removes nothing more unless the text ended in two backslashes.
    const std::string again = velmira::StartingFolder(folder);
    FUZZ_CHECK(again.size() + 1 >= folder.size());

    // A key combination is read only from ASCII, names a key, and lets no typing key through without Ctrl,
    // Alt or Win.
    if (const auto key = velmira::ReadKeyCombinationText(text)) {
        for (const char c : text) FUZZ_CHECK(static_cast<unsigned char>(c) < 0x80);
        FUZZ_CHECK(key->key != 0 && key->key < 0x100 && key->modifiers < 16);
        const bool typing = (key->key >= '0' && key->key <= '9') || (key->key >= 'A' && key->key <= 'Z') ||
                            key->key == ' ';
        FUZZ_CHECK(!typing || (key->modifiers & (1 | 2 | 8)) != 0);
    }
    return 0;
}
