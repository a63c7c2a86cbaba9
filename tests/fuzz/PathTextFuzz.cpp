// libFuzzer target: the extension and path handling of picture and plug-in paths (typed, dropped, stored), on
// arbitrary bytes, which include every lead/trail combination of code page 932.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "FuzzInput.h"
#include "text/PathText.h"
#include "image/ImageFormat.h"

namespace {

// The offset of the character boundary at or after `pos` when walking from the start.
bool IsCharBoundary(std::string_view text, std::size_t offset) {
    std::size_t pos = 0;
    while (pos < offset) pos = velmira::NextCharOffset(text, pos);
    return pos == offset;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view path(reinterpret_cast<const char*>(data), size);

    const std::string_view ext = velmira::ExtensionOf(path);
    if (!ext.empty()) {
        FUZZ_CHECK(ext.data() + ext.size() == path.data() + path.size());  // a suffix of the path
        FUZZ_CHECK(ext.front() == '.');
        FUZZ_CHECK(IsCharBoundary(path, path.size() - ext.size()));
    }
    const std::string lower = velmira::LowerCaseSingleByteLetters(path);
    FUZZ_CHECK(lower.size() == path.size());
    const int format = velmira::CheckFormat(path);
    FUZZ_CHECK(format >= velmira::kFormatBmp && format <= velmira::kFormatOther);
    FUZZ_CHECK(format == velmira::FormatOfLowerCaseExtension(velmira::LowerCaseSingleByteLetters(ext)));

    for (const bool orColon : {false, true}) {
        const std::size_t sep = velmira::LastSeparator(path, orColon);
        if (sep != std::string_view::npos) {
            FUZZ_CHECK(sep < path.size());
            FUZZ_CHECK(path[sep] == '\\' || (orColon && path[sep] == ':'));
            FUZZ_CHECK(IsCharBoundary(path, sep));
        }
    }
    const std::string dir = velmira::DirectoryWithBackslash(path);
    FUZZ_CHECK(path.substr(0, dir.size()) == dir);
    if (!dir.empty()) FUZZ_CHECK(dir.back() == '\\');
    return 0;
}
