// The program's folders are layers that point one way: the text helpers and the resources at the bottom, the
// window layer, the colour science and the palette's formats on them (none knows another), what the three
// programs share (picture reading, the plug-in contracts) next, the features and the other programs' folders on
// those, the application on top. Every include of every source file under src/ must stay in its own folder or
// point down, whatever its spelling: spaces after the "#", angle brackets, a path that climbs out with "..", a
// file of any extension. A folder that no layer names fails too, so that a new folder joins a layer on purpose.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

const std::map<std::string, int> kLayerOf = {
    {"text", 0},         {"resources", 0},      {"ui", 1},        {"color", 1},    {"palette", 1},
    {"picture", 2},      {"spi", 2},            {"colorwindows", 3}, {"palettewindows", 3}, {"settings", 3},
    {"picker", 3},       {"image", 3},          {"diag", 3},      {"spihost", 3},  {"wicplugin", 3},
    {"app", 4},
};

// The folders of the programs other than velmira.exe (the plug-in helper, the bundled plug-in): they share only
// the layers below them with it, so no folder but their own includes them, whatever its layer.
const std::set<std::string> kOtherPrograms = {"spihost", "wicplugin"};

// Whether a file of folder `from` may include one of folder `to`.
bool MayInclude(const std::string& from, const std::string& to) {
    return from == to || (kLayerOf.at(to) < kLayerOf.at(from) && kOtherPrograms.count(to) == 0);
}

// The first folder of a path relative to src/; empty for a file of src/ itself.
std::string TopFolder(const fs::path& relative) {
    const auto first = relative.begin();
    if (first == relative.end() || std::next(first) == relative.end()) return {};
    return first->generic_string();
}

// The file's text with its continued lines joined, as the preprocessor sees it; empty for a binary file.
std::string SourceText(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream read;
    read << in.rdbuf();
    std::string text = read.str();
    if (text.find('\0') != std::string::npos) return {};
    for (std::size_t at; (at = text.find("\\\n")) != std::string::npos;) text.erase(at, 2);
    for (std::size_t at; (at = text.find("\\\r\n")) != std::string::npos;) text.erase(at, 3);
    return text;
}

// Where an include lands, relative to src/. A quoted name is looked for beside the including file first;
// either form is then looked for under src/, the one include folder. Null for a file outside src/ (the
// system's and the libraries' headers).
std::optional<fs::path> Resolve(const fs::path& src, const fs::path& file, bool quoted, const std::string& name) {
    std::vector<fs::path> candidates;
    if (quoted) candidates.push_back((file.parent_path() / name).lexically_normal());
    candidates.push_back(fs::path(name).lexically_normal());
    for (const fs::path& candidate : candidates) {
        if (candidate.empty() || *candidate.begin() == "..") continue;
        if (fs::exists(src / candidate)) return candidate;
    }
    // A file not there (yet) is still judged by the folder its name points into.
    const fs::path named = candidates.front();
    if (!named.empty() && *named.begin() != ".." && fs::is_directory(src / TopFolder(named)) &&
        !TopFolder(named).empty())
        return named;
    return std::nullopt;
}

// Every offence against the layers under `src`, one line each, with the file and line.
std::string LayerOffencesUnder(const fs::path& src) {
    static const std::regex directive(R"(^[ \t]*#[ \t]*include[ \t]*(.*))");
    static const std::regex named(R"(^([<"])([^>"]*)[>"])");
    std::string offences;
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(src)) {
        if (!entry.is_regular_file()) continue;
        const fs::path file = fs::relative(entry.path(), src);
        const std::string from = TopFolder(file);
        if (!from.empty() && kLayerOf.count(from) == 0) {
            offences += "src/" + from + "/ belongs to no layer\n";
            continue;
        }
        std::istringstream lines(SourceText(entry.path()));
        std::string text;
        for (int number = 1; std::getline(lines, text); ++number) {
            std::smatch include, target;
            if (!std::regex_search(text, include, directive)) continue;
            const std::string where = "src/" + file.generic_string() + ":" + std::to_string(number);
            const std::string rest = include[1];
            if (!std::regex_search(rest, target, named)) {
                offences += where + " includes a file that is not named: " + text + "\n";
                continue;
            }
            const std::optional<fs::path> lands = Resolve(src, file, target[1] == "\"", target[2]);
            if (!lands) continue;
            const std::string to = TopFolder(*lands);
            if (to.empty() || from.empty()) continue;
            if (kLayerOf.count(to) == 0)
                offences += where + " includes from src/" + to + "/, which belongs to no layer\n";
            else if (!MayInclude(from, to))
                offences += where + " includes " + lands->generic_string() + "\n";
        }
    }
    return offences;
}

// A scratch tree of sources, gone with the test.
class ScratchTree {
public:
    ScratchTree() : root_(fs::temp_directory_path() / "velmira-include-layers") { fs::remove_all(root_); }
    ScratchTree(const ScratchTree&) = delete;
    ScratchTree& operator=(const ScratchTree&) = delete;
    ~ScratchTree() { fs::remove_all(root_); }

    void Write(const std::string& path, const std::string& text) const {
        fs::create_directories((root_ / path).parent_path());
        std::ofstream(root_ / path, std::ios::binary) << text;
    }
    const fs::path& Root() const noexcept { return root_; }

private:
    fs::path root_;
};

TEST(IncludeLayers, TheRuleRefusesUpwardAndSidewaysIncludes) {
    struct Case {
        const char* from;
        const char* to;
        bool allowed;
    };
    const Case cases[] = {
        {"ui", "text", true},         {"colorwindows", "ui", true},    {"colorwindows", "color", true},
        {"palettewindows", "palette", true}, {"picker", "color", true}, {"app", "image", true},
        {"image", "image", true},     {"image", "resources", true},    {"text", "ui", false},
        {"ui", "color", false},       {"color", "ui", false},          {"palette", "ui", false},
        {"palette", "color", false},  {"ui", "app", false},            {"color", "colorwindows", false},
        {"settings", "palettewindows", false}, {"image", "spi", true}, {"spihost", "spi", true},
        {"wicplugin", "picture", true}, {"spihost", "image", false},   {"image", "spihost", false},
        {"app", "spihost", false},    {"app", "wicplugin", false},     {"spihost", "wicplugin", false},
        {"picture", "image", false},
    };
    for (const Case& c : cases) EXPECT_EQ(MayInclude(c.from, c.to), c.allowed) << c.from << " -> " << c.to;
}

// Each way of spelling an include that points up, and a folder of no layer, is caught; the same files
// spelt to point down pass.
TEST(IncludeLayers, EverySpellingOfAnUpwardIncludeIsCaught) {
    struct Case {
        const char* name;
        const char* file;
        const char* text;
        bool offends;
    };
    const Case cases[] = {
        {"plain", "color/A.cpp", "#include \"app/Main.h\"\n", true},
        {"spaces after the hash", "color/A.cpp", "#  include \"app/Main.h\"\n", true},
        {"indented, tabbed", "color/A.cpp", "\t# \tinclude\t\"app/Main.h\"\n", true},
        {"angle brackets", "color/A.cpp", "#include <app/Main.h>\n", true},
        {"climbing out of the folder", "color/A.cpp", "#include \"../app/Main.h\"\n", true},
        {"climbing from a sub-folder", "image/wic/A.cpp", "#include \"../../app/Main.h\"\n", true},
        {"an inline file", "ui/A.inl", "#include \"app/Main.h\"\n", true},
        {"a resource script", "ui/A.rc", "#include \"../app/Main.h\"\n", true},
        {"a continued line", "ui/A.h", "#include \\\n\"app/Main.h\"\n", true},
        {"a computed name", "ui/A.h", "#include APP_HEADER\n", true},
        {"a folder of no layer", "extra/A.cpp", "int a;\n", true},
        {"down, plainly", "app/A.cpp", "#include \"color/C.h\"\n", false},
        {"down, through ..", "colorwindows/A.cpp", "#include \"../ui/U.h\"\n", false},
        {"beside itself", "color/A.cpp", "#include \"C.h\"\n", false},
        {"a system header", "picker/A.cpp", "#include <windows.h>\n#include <vector>\n", false},
    };
    for (const Case& c : cases) {
        ScratchTree tree;
        tree.Write("app/Main.h", "");
        tree.Write("color/C.h", "");
        tree.Write("ui/U.h", "");
        tree.Write(c.file, c.text);
        const std::string offences = LayerOffencesUnder(tree.Root());
        EXPECT_EQ(!offences.empty(), c.offends) << c.name << ":\n" << offences;
    }
}

TEST(IncludeLayers, EveryIncludeOfTheSourcesPointsDownOrStaysInItsFolder) {
    ASSERT_TRUE(fs::is_directory(fs::path(VELMIRA_SOURCE_DIR) / "app")) << VELMIRA_SOURCE_DIR;
    const std::string offences = LayerOffencesUnder(VELMIRA_SOURCE_DIR);
    EXPECT_TRUE(offences.empty()) << offences;
}

}  // namespace
