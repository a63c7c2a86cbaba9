#include "color/ColorText.h"

#include "text/ChannelText.h"
#include "text/IntegerReading.h"

namespace velmira {

std::string ChannelStringFromDecimal(std::string_view editText) {
    return HexAtLeastTwoDigits(static_cast<std::uint32_t>(ReadIntegerOr(editText, 0)));
}

std::string DecimalText(std::int32_t value) {
    return std::to_string(value);
}

std::string UpperCaseText(std::string_view text, LeadBytePredicate isLead) {
    std::string result(text);
    for (std::size_t pos = 0; pos < result.size(); pos = NextCharOffset(result, pos, isLead)) {
        char& c = result[pos];
        if (c >= 'a' && c <= 'z' && !isLead(static_cast<unsigned char>(c))) c = static_cast<char>(c - 'a' + 'A');
    }
    return result;
}

std::string HexText(Rgb colour) {
    return HexAtLeastTwoDigits(colour.red) + HexAtLeastTwoDigits(colour.green) + HexAtLeastTwoDigits(colour.blue);
}

std::string HexColourText(Rgb colour) {
    return "#" + HexText(colour);
}

std::string CssText(Rgb text, Rgb background) {
    return "color: " + HexColourText(text) + "; background-color: " + HexColourText(background) + ";";
}

std::string HexStringOf(std::string_view red, std::string_view green, std::string_view blue,
                        LeadBytePredicate isLead) {
    std::string joined;
    joined.reserve(red.size() + green.size() + blue.size());
    joined.append(red).append(green).append(blue);
    return UpperCaseText(joined, isLead);
}

}  // namespace velmira
