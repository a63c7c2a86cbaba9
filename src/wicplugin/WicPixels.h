#pragma once
// The plug-in's arithmetic that needs no platform: format magic, DIB layout, compositing over white,
// and the information texts handed back through a caller's buffer.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace velmira::wic {

// The formats this plug-in recognises from their first bytes, without asking the imaging component.
enum class CoreFormat { Unknown, Png, Gif, Tiff, Webp, Ico };

CoreFormat DetectCoreFormat(const unsigned char* head, std::size_t size) noexcept;

// The largest picture we agree to decode: 2^26 pixels (a 24-bit DIB of 192 MB); anything larger is refused
// before a single byte is allocated, since a 32-bit host cannot hold it anyway.
constexpr std::uint64_t kMaxPixels = std::uint64_t{1} << 26;

struct DibLayout {
    std::uint32_t stride;     // bytes per scan line, rounded up to 4
    std::uint32_t imageSize;  // stride * height
};

// The layout of a bottom-up 24-bit DIB, or nothing when the size is empty or too large.
std::optional<DibLayout> Dib24Layout(std::uint32_t width, std::uint32_t height) noexcept;

// Offset of picture row `y` (0 = top) in a bottom-up DIB.
constexpr std::size_t BottomUpRowOffset(std::uint32_t y, std::uint32_t height, std::uint32_t stride) noexcept {
    return static_cast<std::size_t>(height - 1 - y) * stride;
}

// A straight-alpha pixel laid over a white ground: one channel, and the pixel as 0x00RRGGBB.
constexpr std::uint32_t ChannelOverWhite(unsigned value, unsigned alpha) noexcept {
    return (value * alpha + 255 * (255 - alpha) + 127) / 255;
}
constexpr std::uint32_t OverWhite(unsigned r, unsigned g, unsigned b, unsigned alpha) noexcept {
    return ChannelOverWhite(r, alpha) << 16 | ChannelOverWhite(g, alpha) << 8 | ChannelOverWhite(b, alpha);
}

// One row of straight-alpha BGRA pixels laid over a white ground, written as 0x00RRGGBB.
void BgraRowOverWhite(const std::uint8_t* bgra, std::uint32_t* out, std::uint32_t width) noexcept;

// Copies an information text into a caller's buffer of `buflen` bytes: never past its end, never half a
// double-byte character, zero-terminated when there is room. Returns the number of bytes of text written.
int CopyInfoText(std::string_view text, char* buf, int buflen) noexcept;

// Appends "*.ext" for each extension of a list such as ".jxr,.wdp" (or ".tif;.tiff") to a ";"-joined pattern,
// skipping extensions already present (any case), those in `excluded`, and any that would make the pattern
// longer than `maxLength`.
void AppendExtensionPatterns(std::string& pattern, std::string_view extensions, std::string_view excluded,
                             std::size_t maxLength);

}  // namespace velmira::wic
