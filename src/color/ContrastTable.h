#pragma once
// The palette's contrast table: every ordered pair of distinct palette colours, text on background, with the
// WCAG ratio, the AA and AAA results for normal and large text, and the APCA Lc; highest ratio first. As text
// for the window and the clipboard (tab-separated) and as CSV.
#include <string>
#include <vector>

#include "color/Contrast.h"
#include "color/Rgb.h"

namespace velmira {

struct ContrastTableRow {
    Rgb text;
    Rgb background;
    double ratio = 0;
    ContrastLevels levels;
    double lc = 0;
};

// The distinct colours of `colours` in their first order, every ordered pair of them, highest ratio first
// (pairs of the same ratio in the order the colours come: by text, then by background).
std::vector<ContrastTableRow> ContrastTableRows(const std::vector<Rgb>& colours);

// A header line and a line per row, fields separated by tabs, lines by "\n"; "○" and "×" for the results.
std::string ContrastTableText(const std::vector<ContrastTableRow>& rows);
// The same as CSV: comma-separated, "yes" and "no" for the results, lines ended by CR LF. The header's names
// are the window's (code page 932 here; the file is written as UTF-8).
std::string ContrastTableCsv(const std::vector<ContrastTableRow>& rows);

}  // namespace velmira
