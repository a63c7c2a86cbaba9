#include "settings/HistorySettings.h"

namespace velmira {

namespace {

constexpr char kSection[] = "History";
constexpr std::size_t kMostKeys = 20;

std::string KeyOf(std::size_t index) {
    return "Pair" + std::to_string(index + 1);
}

}  // namespace

std::vector<std::string> ReadHistorySection(const ui::IniFile& file) {
    std::vector<std::string> values;
    for (std::size_t i = 0; i < kMostKeys; ++i) {
        const std::string value = file.ReadString(kSection, KeyOf(i).c_str(), "");
        if (value.empty()) break;
        values.push_back(value);
    }
    return values;
}

void WriteHistorySection(const ui::IniFile& file, const std::vector<std::string>& values) {
    for (std::size_t i = 0; i < kMostKeys; ++i) {
        if (i < values.size())
            file.WriteString(kSection, KeyOf(i).c_str(), values[i]);
        else
            file.DeleteKey(kSection, KeyOf(i).c_str());
    }
}

}  // namespace velmira
