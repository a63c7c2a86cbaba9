#pragma once
// The open-file dialog's filter: the fixed picture types around one entry per plug-in.
#include <string>
#include <vector>

namespace velmira {

// One plug-in's pair as the open-file dialog's filter needs it.
struct ST_SpiInfo {
    std::string Pattern;
    std::string Description;
};

// The filter as "description|pattern|description|pattern..." with no "|" after the last pattern:
// all pictures first, then JPEG, one entry per plug-in in list order, BMP and all files.
std::string BuildOpenFilter(const std::vector<ST_SpiInfo>& plugins);

}  // namespace velmira
