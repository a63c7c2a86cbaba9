#include "color/ContrastTable.h"

#include <algorithm>
#include <cmath>
#include <iterator>

#include "color/Apca.h"
#include "color/ColorText.h"

namespace velmira {
namespace {

constexpr const char* kHeader[] = {"文字", "背景", "コントラスト比", "AA 通常", "AA 大", "AAA 通常", "AAA 大", "APCA Lc"};

// "-68.5": one decimal, the magnitude rounded half up, as LcText gives it.
std::string LcFigure(double lc) {
    return LcText(lc).substr(3);  // "Lc "
}

std::string Joined(const std::vector<std::string>& fields, const char* separator) {
    std::string line;
    for (std::size_t i = 0; i < fields.size(); ++i) line += (i ? separator : "") + fields[i];
    return line;
}

std::vector<std::string> Fields(const ContrastTableRow& row, const char* yes, const char* no) {
    const auto mark = [yes, no](bool passes) { return std::string(passes ? yes : no); };
    std::string ratio = RatioText(row.ratio);
    ratio.resize(ratio.size() - 2);  // ":1", said once in the header
    return {HexText(row.text),          HexText(row.background),        ratio,
            mark(row.levels.aaNormal),  mark(row.levels.aaLarge),       mark(row.levels.aaaNormal),
            mark(row.levels.aaaLarge),  LcFigure(row.lc)};
}

std::string Lines(const std::vector<ContrastTableRow>& rows, const char* separator, const char* yes, const char* no,
                  const char* lineEnd) {
    std::string text = Joined(std::vector<std::string>(std::begin(kHeader), std::end(kHeader)), separator);
    for (const ContrastTableRow& row : rows) text += lineEnd + Joined(Fields(row, yes, no), separator);
    return text + lineEnd;
}

}  // namespace

std::vector<ContrastTableRow> ContrastTableRows(const std::vector<Rgb>& colours) {
    std::vector<Rgb> distinct;
    for (const Rgb& colour : colours)
        if (std::find(distinct.begin(), distinct.end(), colour) == distinct.end()) distinct.push_back(colour);
    std::vector<double> luminance;
    std::vector<double> apcaLuminance;
    for (const Rgb& colour : distinct) {
        luminance.push_back(RelativeLuminance(colour));
        apcaLuminance.push_back(ApcaLuminance(colour));
    }
    std::vector<ContrastTableRow> rows;
    rows.reserve(distinct.size() * (distinct.size() ? distinct.size() - 1 : 0));
    for (std::size_t t = 0; t < distinct.size(); ++t) {
        for (std::size_t b = 0; b < distinct.size(); ++b) {
            if (t == b) continue;
            ContrastTableRow row;
            row.text = distinct[t];
            row.background = distinct[b];
            row.ratio = ContrastRatioOfLuminances(luminance[t], luminance[b]);
            row.levels = LevelsOf(row.ratio);
            row.lc = ApcaContrastOfLuminances(apcaLuminance[t], apcaLuminance[b]);
            rows.push_back(row);
        }
    }
    std::stable_sort(rows.begin(), rows.end(),
                     [](const ContrastTableRow& a, const ContrastTableRow& b) { return a.ratio > b.ratio; });
    return rows;
}

std::string ContrastTableText(const std::vector<ContrastTableRow>& rows) {
    return Lines(rows, "\t", "○", "×", "\n");
}

std::string ContrastTableCsv(const std::vector<ContrastTableRow>& rows) {
    return Lines(rows, ",", "yes", "no", "\r\n");
}

}  // namespace velmira
