#pragma once
// A small file read or written whole, in one call each way: the palette files, the plug-in host's cache.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace ui {

// The file's bytes, read once into our own memory; nothing when it cannot be opened or read whole. A file larger
// than `largest` bytes reads as empty: it is none of the files its reader knows.
std::optional<std::string> ReadWholeFile(const std::string& path, std::uint64_t largest);
// Replaces the file with `bytes`; false when it cannot be created or written whole.
bool WriteWholeFile(const std::string& path, std::string_view bytes);
// The same under a name in any script (the palette files, chosen in a UTF-16 dialog).
std::optional<std::string> ReadWholeFile(const std::wstring& path, std::uint64_t largest);
bool WriteWholeFile(const std::wstring& path, std::string_view bytes);

}  // namespace ui
