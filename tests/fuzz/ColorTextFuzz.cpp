// libFuzzer target: channel strings and typed channel texts as the colour editors read them.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "FuzzInput.h"
#include "color/ColorText.h"
#include "text/ChannelText.h"
#include "text/IntegerReading.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    velmira::fuzz::FuzzInput in(data, size);
    const std::string_view a = in.Text();
    const std::string_view b = in.Text();
    const std::string_view c = in.Rest();

    const std::string fromDecimal = velmira::ChannelStringFromDecimal(a);
    FUZZ_CHECK(fromDecimal.size() >= 2 && fromDecimal.size() <= 8);
    // What the decimal edit produced reads back, as a channel string, to the number's low 8 bits.
    FUZZ_CHECK(velmira::ChannelValue(fromDecimal) == (velmira::ReadIntegerOr(a, 0) & 0xFF));

    const std::string hex = velmira::HexStringOf(a, b, c);
    FUZZ_CHECK(hex.size() == a.size() + b.size() + c.size());
    FUZZ_CHECK(velmira::UpperCaseText(hex) == hex);
    const std::int32_t v = velmira::ChannelValue(b);
    FUZZ_CHECK(v >= 0 && v <= 255);
    FUZZ_CHECK(velmira::DecimalText(velmira::ReadIntegerOr(c, 7)) ==
               std::to_string(velmira::ReadIntegerOr(c, 7)));
    return 0;
}
