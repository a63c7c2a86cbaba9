#include "color/PairHistory.h"

#include <algorithm>
#include <cstdio>

#include "text/Blanks.h"
#include "text/IntegerReading.h"

namespace velmira {
namespace {

std::string SixDigits(Rgb colour) {
    char buffer[8];
    std::snprintf(buffer, sizeof buffer, "%02X%02X%02X", colour.red, colour.green, colour.blue);
    return buffer;
}


std::optional<Rgb> ColourOfSixDigits(std::string_view text) noexcept {
    text = Trimmed(text);
    if (text.size() != 6) return std::nullopt;
    int bytes[3] = {};
    for (int i = 0; i < 3; ++i) {
        const int high = HexDigitValue(text[2 * i]), low = HexDigitValue(text[2 * i + 1]);
        if (high < 0 || low < 0) return std::nullopt;
        bytes[i] = high * 16 + low;
    }
    return Rgb{static_cast<std::uint8_t>(bytes[0]), static_cast<std::uint8_t>(bytes[1]),
               static_cast<std::uint8_t>(bytes[2])};
}

}  // namespace

void PairHistory::Remember(ColourPair pair) {
    pairs_.erase(std::remove(pairs_.begin(), pairs_.end(), pair), pairs_.end());
    pairs_.insert(pairs_.begin(), pair);
    if (pairs_.size() > kMostPairs) pairs_.resize(kMostPairs);
}

std::vector<std::string> PairHistory::Texts() const {
    std::vector<std::string> texts;
    for (const ColourPair& pair : pairs_) texts.push_back(PairText(pair));
    return texts;
}

void PairHistory::Restore(const std::vector<std::string>& texts) {
    pairs_.clear();
    for (const std::string& text : texts) {
        const std::optional<ColourPair> pair = PairOfText(text);
        if (!pair || std::find(pairs_.begin(), pairs_.end(), *pair) != pairs_.end()) continue;
        pairs_.push_back(*pair);
        if (pairs_.size() == kMostPairs) break;
    }
}

std::string PairText(ColourPair pair) {
    return SixDigits(pair.text) + "," + SixDigits(pair.background);
}

std::optional<ColourPair> PairOfText(std::string_view text) {
    const std::size_t comma = text.find(',');
    if (comma == std::string_view::npos) return std::nullopt;
    const std::optional<Rgb> first = ColourOfSixDigits(text.substr(0, comma));
    const std::optional<Rgb> second = ColourOfSixDigits(text.substr(comma + 1));
    if (!first || !second) return std::nullopt;
    return ColourPair{*first, *second};
}

std::string PairMenuText(std::size_t index, ColourPair pair) {
    // Past the tenth, blanks about as wide as a digit and its two blanks.
    std::string key = index < 9 ? "&" + std::to_string(index + 1) + "  " : index == 9 ? "&0  " : "    ";
    return key + "文字 " + SixDigits(pair.text) + " / 背景 " + SixDigits(pair.background);
}

}  // namespace velmira
