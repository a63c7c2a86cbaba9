// libFuzzer target: the information texts a plug-in leaves in its 260-byte buffer (with or without a zero,
// broken double-byte characters at the end), and the open-file filter built from them in the dialog's form.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "FuzzInput.h"
#include "image/SpiFilter.h"
#include "spihost/SpiPluginInfo.h"
#include "ui/DialogFilter.h"

namespace {

constexpr std::size_t kBufferSize = 260;

// The buffer as the host hands it over (zeroed) after the plug-in wrote `bytes` into it, cut at its size.
std::string InfoText(std::string_view bytes) {
    const std::size_t n = bytes.size() < kBufferSize ? bytes.size() : kBufferSize;
    std::vector<char> buffer(kBufferSize, '\0');
    std::memcpy(buffer.data(), bytes.data(), n);
    // An exact-sized heap copy so that reading past the buffer is caught.
    auto exact = std::make_unique<char[]>(kBufferSize);
    std::memcpy(exact.get(), buffer.data(), kBufferSize);
    std::string text = velmira::PluginInfoText(exact.get(), kBufferSize);
    FUZZ_CHECK(text.size() <= kBufferSize);
    FUZZ_CHECK(text.find('\0') == std::string::npos);
    return text;
}

// True when the text ends in the middle of a double-byte character.
bool EndsInLeadByte(const std::string& text) {
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t next = velmira::NextCharOffset(text, pos);
        if (next == text.size() && next - pos == 1 && velmira::IsCp932LeadByte(static_cast<unsigned char>(text[pos])))
            return true;
        pos = next;
    }
    return false;
}

std::size_t Zeros(const std::string& text) {
    std::size_t zeros = 0;
    for (char ch : text) zeros += ch == '\0';
    return zeros;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    velmira::fuzz::FuzzInput in(data, size);
    std::vector<velmira::ST_SpiInfo> plugins;
    while (!in.Empty() && plugins.size() < 8) {
        velmira::ST_SpiInfo info;
        info.Pattern = InfoText(in.Text());
        info.Description = InfoText(in.Text());
        FUZZ_CHECK(!EndsInLeadByte(info.Pattern) && !EndsInLeadByte(info.Description));
        plugins.push_back(std::move(info));
    }
    const std::string filter = velmira::BuildOpenFilter(plugins);
    const std::string dialog = ui::FilterToDialogForm(filter);
    FUZZ_CHECK(dialog.size() == filter.size() + 2);
    FUZZ_CHECK(dialog[dialog.size() - 1] == '\0' && dialog[dialog.size() - 2] == '\0');
    // Every "|" that is a character of its own became a zero: each plug-in adds at least two to those of the
    // fixed entries (a text's broken last character must not have swallowed the "|" after it). The fixed
    // entries are counted, not assumed: natively their literals are UTF-8, not code page 932.
    static const std::size_t fixedZeros = Zeros(ui::FilterToDialogForm(velmira::BuildOpenFilter({})));
    FUZZ_CHECK(Zeros(dialog) >= fixedZeros + 2 * plugins.size());
    return 0;
}
