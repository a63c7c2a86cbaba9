#pragma once
// The pairs of colours the user picked or copied last, newest first: at most twenty, each pair once. Kept in the
// settings file as "RRGGBB,RRGGBB" (text colour, background colour).
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "color/Rgb.h"

namespace velmira {

struct ColourPair {
    Rgb text;
    Rgb background;
};

constexpr bool operator==(ColourPair a, ColourPair b) noexcept {
    return a.text == b.text && a.background == b.background;
}

class PairHistory {
public:
    static constexpr std::size_t kMostPairs = 20;

    const std::vector<ColourPair>& Pairs() const noexcept { return pairs_; }

    // Puts the pair first; the same pair further down moves up, and the oldest falls off beyond twenty.
    void Remember(ColourPair pair);

    // The stored texts, newest first.
    std::vector<std::string> Texts() const;
    // Takes stored texts, newest first: one that is no pair is left out, as is a pair met before.
    void Restore(const std::vector<std::string>& texts);

private:
    std::vector<ColourPair> pairs_;
};

// "RRGGBB,RRGGBB", upper case.
std::string PairText(ColourPair pair);
// Either case, blanks around the two colours allowed; nothing for any other text.
std::optional<ColourPair> PairOfText(std::string_view text);

// The window menu's item for the pair at `index` (0 newest): access keys 1 to 9 and 0 for the first ten, then
// the two colours.
std::string PairMenuText(std::size_t index, ColourPair pair);

}  // namespace velmira
