// The program's folders are layers that point one way: the text helpers at the bottom, the window layer on
// them, the features on the window layer, the application on top. Every #include "folder/..." line of the
// sources must stay in its own folder or point down; one that points up, or sideways from one feature to
// another, is named with its file and line.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

const std::map<std::string, int> kLayerOf = {
    {"text", 0}, {"ui", 1},     {"color", 2}, {"settings", 2}, {"palette", 2},
    {"picker", 2}, {"image", 2}, {"diag", 2},  {"app", 3},
};

// The top folder that a path inside src/ (or an include of one) names, if it is one of the layers' folders.
std::optional<std::string> LayerFolder(const std::string& path) {
    const std::size_t slash = path.find('/');
    if (slash == std::string::npos) return std::nullopt;
    const std::string folder = path.substr(0, slash);
    if (kLayerOf.count(folder) == 0) return std::nullopt;
    return folder;
}

// Whether a file of folder `from` may include one of folder `to`.
bool MayInclude(const std::string& from, const std::string& to) {
    return from == to || kLayerOf.at(to) < kLayerOf.at(from);
}

struct IncludeLine {
    std::string file;  // relative to src/, with forward slashes
    int line;
    std::string target;
};

std::vector<IncludeLine> IncludeLinesUnder(const fs::path& src) {
    std::vector<IncludeLine> lines;
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(src)) {
        const std::string extension = entry.path().extension().string();
        if (!entry.is_regular_file() || (extension != ".h" && extension != ".cpp")) continue;
        const std::string file = fs::relative(entry.path(), src).generic_string();
        std::ifstream in(entry.path());
        std::string text;
        for (int number = 1; std::getline(in, text); ++number) {
            const std::size_t start = text.find_first_not_of(" \t");
            if (start == std::string::npos || text.compare(start, 10, "#include \"") != 0) continue;
            const std::size_t open = start + 10;
            const std::size_t close = text.find('"', open);
            if (close != std::string::npos) lines.push_back({file, number, text.substr(open, close - open)});
        }
    }
    return lines;
}

TEST(IncludeLayers, TheRuleRefusesUpwardAndSidewaysIncludes) {
    struct Case {
        const char* from;
        const char* to;
        bool allowed;
    };
    const Case cases[] = {
        {"ui", "text", true},     {"color", "ui", true},       {"app", "image", true},  {"image", "image", true},
        {"text", "ui", false},    {"ui", "color", false},      {"ui", "app", false},    {"color", "app", false},
        {"palette", "color", false}, {"settings", "palette", false},
    };
    for (const Case& c : cases) EXPECT_EQ(MayInclude(c.from, c.to), c.allowed) << c.from << " -> " << c.to;
}

TEST(IncludeLayers, EveryIncludeOfTheSourcesPointsDownOrStaysInItsFolder) {
    const std::vector<IncludeLine> lines = IncludeLinesUnder(VELMIRA_SOURCE_DIR);
    ASSERT_GT(lines.size(), 100u) << "the sources were not found under " << VELMIRA_SOURCE_DIR;
    std::string offences;
    for (const IncludeLine& include : lines) {
        const std::optional<std::string> from = LayerFolder(include.file);
        const std::optional<std::string> to = LayerFolder(include.target);
        if (from && to && !MayInclude(*from, *to))
            offences += "src/" + include.file + ":" + std::to_string(include.line) + " includes \"" + include.target +
                        "\"\n";
    }
    EXPECT_TRUE(offences.empty()) << offences;
}

}  // namespace
