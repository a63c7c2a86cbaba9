#include "wicplugin/DecoderRegistry.h"

#include <windows.h>

#include <cwchar>

#include "wicplugin/WicPixels.h"
#include "ui/UniqueHandle.h"

namespace velmira::wic {
namespace {

// The decoder category's instances: one sub-key per decoder, named by its class id.
constexpr wchar_t kDecoderInstances[] = L"CLSID\\{7ED96837-96F0-4812-B211-F13C24117ED3}\\Instance";
// A class id in braces is 38 characters.
constexpr DWORD kClassIdLength = 39;

struct KeyTraits {
    using handle_type = HKEY;
    static HKEY invalid() noexcept { return nullptr; }
    static void close(HKEY h) noexcept { ::RegCloseKey(h); }
};
using UniqueKey = ui::UniqueHandle<KeyTraits>;

UniqueKey OpenKey(HKEY parent, const wchar_t* path) {
    HKEY key = nullptr;
    if (::RegOpenKeyExW(parent, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return {};
    return UniqueKey(key);
}

std::optional<std::wstring> StringValue(HKEY key, const wchar_t* name) {
    DWORD type = 0, bytes = 0;
    if (::RegQueryValueExW(key, name, nullptr, &type, nullptr, &bytes) != ERROR_SUCCESS) return std::nullopt;
    if (type != REG_SZ && type != REG_EXPAND_SZ) return std::nullopt;
    std::wstring text(bytes / sizeof(wchar_t) + 1, L'\0');
    if (::RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(text.data()), &bytes) != ERROR_SUCCESS)
        return std::nullopt;
    text.resize(::wcsnlen(text.c_str(), text.size()));
    return text;
}

// The imaging component counts a decoder's signature patterns as the sub-keys of its "Patterns" key.
bool HasSignaturePatterns(HKEY decoder) {
    const UniqueKey patterns = OpenKey(decoder, L"Patterns");
    DWORD count = 0;
    return patterns &&
           ::RegQueryInfoKeyW(patterns.get(), nullptr, nullptr, nullptr, &count, nullptr, nullptr, nullptr, nullptr,
                              nullptr, nullptr, nullptr) == ERROR_SUCCESS &&
           count > 0;
}

// The decoder's extensions as the host can pass them through code page 932 unchanged, or nothing.
std::optional<std::string> AsciiExtensions(HKEY decoder) {
    const std::optional<std::wstring> wide = StringValue(decoder, L"FileExtensions");
    if (!wide || wide->empty()) return std::nullopt;
    std::string narrow;
    for (wchar_t c : *wide) {
        if (c >= 0x80) return std::nullopt;
        narrow += static_cast<char>(c);
    }
    return narrow;
}

}  // namespace

std::optional<std::string> RegisteredDecoderPatterns(std::string pattern, std::size_t maxLength) {
    const UniqueKey instances = OpenKey(HKEY_CLASSES_ROOT, kDecoderInstances);
    if (!instances) return std::nullopt;
    const UniqueKey classes = OpenKey(HKEY_CLASSES_ROOT, L"CLSID");
    if (!classes) return std::nullopt;
    for (DWORD i = 0;; ++i) {
        wchar_t classId[kClassIdLength];
        DWORD length = kClassIdLength;
        const LONG status = ::RegEnumKeyExW(instances.get(), i, classId, &length, nullptr, nullptr, nullptr, nullptr);
        if (status == ERROR_MORE_DATA) continue;  // no class id: the imaging component skips it too
        if (status != ERROR_SUCCESS) break;
        const UniqueKey decoder = OpenKey(classes.get(), classId);
        if (!decoder || !HasSignaturePatterns(decoder.get())) continue;
        if (const std::optional<std::string> extensions = AsciiExtensions(decoder.get()))
            // The host decodes BMP and JPEG files itself, by their extension, and never offers them to us.
            AppendExtensionPatterns(pattern, *extensions, "bmp;jpg;jpeg", maxLength);
    }
    return pattern;
}

}  // namespace velmira::wic
