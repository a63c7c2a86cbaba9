#include "ui/WholeFile.h"

#include <windows.h>

#include "ui/UniqueHandle.h"

namespace ui {
namespace {

constexpr DWORD kReadShare = FILE_SHARE_READ | FILE_SHARE_WRITE;

std::optional<std::string> ReadOpened(const UniqueFile& file, std::uint64_t largest) {
    LARGE_INTEGER size{};
    if (!file || !::GetFileSizeEx(file.get(), &size)) return std::nullopt;
    if (static_cast<std::uint64_t>(size.QuadPart) > largest) return std::string();
    std::string bytes(static_cast<std::size_t>(size.QuadPart), '\0');
    DWORD read = 0;
    if (!bytes.empty() && (!::ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) ||
                           read != bytes.size()))
        return std::nullopt;
    return bytes;
}

bool WriteOpened(const UniqueFile& file, std::string_view bytes) {
    DWORD written = 0;
    return file && ::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
           written == bytes.size();
}

}  // namespace

std::optional<std::string> ReadWholeFile(const std::string& path, std::uint64_t largest) {
    return ReadOpened(UniqueFile(::CreateFileA(path.c_str(), GENERIC_READ, kReadShare, nullptr, OPEN_EXISTING,
                                               FILE_ATTRIBUTE_NORMAL, nullptr)),
                      largest);
}

std::optional<std::string> ReadWholeFile(const std::wstring& path, std::uint64_t largest) {
    return ReadOpened(UniqueFile(::CreateFileW(path.c_str(), GENERIC_READ, kReadShare, nullptr, OPEN_EXISTING,
                                               FILE_ATTRIBUTE_NORMAL, nullptr)),
                      largest);
}

bool WriteWholeFile(const std::string& path, std::string_view bytes) {
    return WriteOpened(
        UniqueFile(::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr)),
        bytes);
}

bool WriteWholeFile(const std::wstring& path, std::string_view bytes) {
    return WriteOpened(
        UniqueFile(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr)),
        bytes);
}

}  // namespace ui
