#pragma once
// One settings file, read and written through the platform's profile functions and nothing else, so that
// whatever else the file holds (other sections, comments) is kept as it is. No handle is held between calls:
// every read and every write opens and closes the file.
#include <cstdint>
#include <string>
#include <utility>

namespace ui {

class IniFile {
public:
    explicit IniFile(std::string path) : path_(std::move(path)) {}

    const std::string& Path() const noexcept { return path_; }

    // The key's text (at most 2047 bytes, blanks and quotes around it removed by the profile functions),
    // or `fallback` when the file, the section or the key is missing.
    std::string ReadString(const char* section, const char* key, const std::string& fallback) const;
    // The key read by the integer reading rule; `fallback` when missing, empty or unreadable.
    std::int32_t ReadInteger(const char* section, const char* key, std::int32_t fallback) const;
    // The key read as an integer: anything but 0 is true.
    bool ReadBool(const char* section, const char* key, bool fallback) const;

    // Throws std::runtime_error "<path> に書き込めません" when the platform refuses the write.
    void WriteString(const char* section, const char* key, const std::string& value) const;
    void WriteInteger(const char* section, const char* key, std::int32_t value) const;
    // Written "1" or "0".
    void WriteBool(const char* section, const char* key, bool value) const;
    // Removes the key; a key that is not there is no error. Throws as WriteString does.
    void DeleteKey(const char* section, const char* key) const;

private:
    std::string path_;
};

}  // namespace ui
