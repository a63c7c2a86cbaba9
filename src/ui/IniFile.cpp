#include "ui/IniFile.h"

#include <windows.h>

#include <stdexcept>

#include "text/IntegerReading.h"

namespace ui {
namespace {

// A value is read into 2048 bytes: at most 2047 characters and the terminating zero.
constexpr DWORD kReadBufferSize = 2048;

}  // namespace

std::string IniFile::ReadString(const char* section, const char* key, const std::string& fallback) const {
    char buffer[kReadBufferSize];
    const DWORD length =
        ::GetPrivateProfileStringA(section, key, fallback.c_str(), buffer, kReadBufferSize, path_.c_str());
    return std::string(buffer, length);
}

std::int32_t IniFile::ReadInteger(const char* section, const char* key, std::int32_t fallback) const {
    return velmira::ReadIntegerOr(ReadString(section, key, ""), fallback);
}

bool IniFile::ReadBool(const char* section, const char* key, bool fallback) const {
    return velmira::ReadBooleanText(ReadString(section, key, ""), fallback);
}

void IniFile::WriteString(const char* section, const char* key, const std::string& value) const {
    if (!::WritePrivateProfileStringA(section, key, value.c_str(), path_.c_str()))
        throw std::runtime_error(path_ + " に書き込めません");
}

void IniFile::DeleteKey(const char* section, const char* key) const {
    if (!::WritePrivateProfileStringA(section, key, nullptr, path_.c_str()))
        throw std::runtime_error(path_ + " に書き込めません");
}

void IniFile::WriteInteger(const char* section, const char* key, std::int32_t value) const {
    WriteString(section, key, std::to_string(value));
}

void IniFile::WriteBool(const char* section, const char* key, bool value) const {
    WriteString(section, key, value ? "1" : "0");
}

}  // namespace ui
