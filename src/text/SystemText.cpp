#include "text/SystemText.h"

#include <windows.h>

#include <algorithm>

#include "text/PathText.h"

namespace velmira {

bool IsLeadByte(unsigned char c) {
    return ::IsDBCSLeadByte(c) != FALSE;
}

std::string ExecutableDirectory() {
    std::string path(MAX_PATH, '\0');
    for (;;) {
        const DWORD length = ::GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length < path.size()) {
            path.resize(length);
            return DirectoryWithBackslash(path, &IsLeadByte);
        }
        path.resize(path.size() * 2);  // a longer path than MAX_PATH was cut: ask again with more room
    }
}

std::wstring WideText(std::string_view text) {
    if (text.empty()) return std::wstring();
    const int size = static_cast<int>(text.size());
    const int length = ::MultiByteToWideChar(932, 0, text.data(), size, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(std::max(length, 0)), L'\0');
    if (length > 0) ::MultiByteToWideChar(932, 0, text.data(), size, wide.data(), length);
    return wide;
}

std::string NarrowText(std::wstring_view text) {
    if (text.empty()) return std::string();
    const int size = static_cast<int>(text.size());
    const int length = ::WideCharToMultiByte(932, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
    std::string narrow(static_cast<std::size_t>(std::max(length, 0)), '\0');
    if (length > 0) ::WideCharToMultiByte(932, 0, text.data(), size, narrow.data(), length, nullptr, nullptr);
    return narrow;
}

}  // namespace velmira
