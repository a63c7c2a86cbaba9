#include "wicplugin/WicPixels.h"

#include <algorithm>
#include <cstring>

#include "text/Cp932.h"

namespace velmira::wic {
namespace {

bool StartsWith(const unsigned char* head, std::size_t size, std::string_view magic) noexcept {
    return size >= magic.size() && std::memcmp(head, magic.data(), magic.size()) == 0;
}

char LowerAscii(char c) noexcept { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool EqualNoCase(std::string_view a, std::string_view b) noexcept {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return LowerAscii(x) == LowerAscii(y); });
}

// True when `item` is one of the elements of the `separator`-joined list.
bool ListContains(std::string_view list, char separator, std::string_view item) noexcept {
    while (!list.empty()) {
        const std::size_t end = std::min(list.find(separator), list.size());
        if (EqualNoCase(list.substr(0, end), item)) return true;
        list.remove_prefix(std::min(end + 1, list.size()));
    }
    return false;
}

}  // namespace

CoreFormat DetectCoreFormat(const unsigned char* head, std::size_t size) noexcept {
    using namespace std::string_view_literals;
    if (StartsWith(head, size, "\x89PNG\r\n\x1a\n"sv)) return CoreFormat::Png;
    if (StartsWith(head, size, "GIF87a"sv) || StartsWith(head, size, "GIF89a"sv)) return CoreFormat::Gif;
    if (StartsWith(head, size, "II*\0"sv) || StartsWith(head, size, "MM\0*"sv)) return CoreFormat::Tiff;
    if (StartsWith(head, size, "RIFF"sv) && size >= 12 && std::memcmp(head + 8, "WEBP", 4) == 0) return CoreFormat::Webp;
    // Four bytes 00 00 01 00 are common in other data too: demand at least one image and a zero reserved
    // byte in the first directory entry.
    if (StartsWith(head, size, "\0\0\1\0"sv) && size >= 10 && (head[4] | head[5]) != 0 && head[9] == 0)
        return CoreFormat::Ico;
    return CoreFormat::Unknown;
}

std::optional<DibLayout> Dib24Layout(std::uint32_t width, std::uint32_t height) noexcept {
    const std::uint64_t pixels = std::uint64_t{width} * height;
    if (pixels == 0 || pixels > kMaxPixels) return std::nullopt;
    const std::uint64_t stride = (std::uint64_t{width} * 24 + 31) / 32 * 4;
    return DibLayout{static_cast<std::uint32_t>(stride), static_cast<std::uint32_t>(stride * height)};
}

void BgraRowOverWhite(const std::uint8_t* bgra, std::uint32_t* out, std::uint32_t width) noexcept {
    for (std::uint32_t x = 0; x < width; ++x, bgra += 4) out[x] = OverWhite(bgra[2], bgra[1], bgra[0], bgra[3]);
}

int CopyInfoText(std::string_view text, char* buf, int buflen) noexcept {
    if (!buf || buflen <= 0) return 0;
    const std::size_t room = static_cast<std::size_t>(buflen);
    std::size_t length = 0;
    // Whole characters only: a lead byte without its trail would swallow the terminator on screen.
    while (length < text.size()) {
        const std::size_t next = NextCharOffset(text, length);
        if (next > room) break;
        length = next;
    }
    std::memcpy(buf, text.data(), length);
    if (length < room) buf[length] = '\0';
    return static_cast<int>(length);
}

void AppendExtensionPatterns(std::string& pattern, std::string_view extensions, std::string_view excluded,
                             std::size_t maxLength) {
    while (!extensions.empty()) {
        // Lists come as ".jxr,.wdp" and, from some codecs, as ".tif;.tiff".
        const std::size_t end = std::min(extensions.find_first_of(",;"), extensions.size());
        std::string_view ext = extensions.substr(0, end);
        extensions.remove_prefix(std::min(end + 1, extensions.size()));
        if (!ext.empty() && ext.front() == '.') ext.remove_prefix(1);
        if (ext.empty() || ListContains(excluded, ';', ext)) continue;
        const std::string item = "*." + std::string(ext);
        if (ListContains(pattern, ';', item)) continue;
        const std::size_t added = item.size() + (pattern.empty() ? 0 : 1);
        if (pattern.size() + added > maxLength) continue;
        if (!pattern.empty()) pattern += ';';
        pattern += item;
    }
}

}  // namespace velmira::wic
