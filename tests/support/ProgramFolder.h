#pragma once
// Where the running test executable lies. Paths are cut at the last backslash that is a character of its own:
// the trail byte of a double-byte character of code page 932 may be 0x5C, the byte of "\".
#include <windows.h>

#include <string>

namespace testsupport {

// The part of the path after its last separating backslash.
inline std::string FileNameOf(const std::string& path) {
    const char* name = path.c_str();
    for (const char* p = path.c_str(); *p; p = ::CharNextA(p))
        if (*p == '\\') name = p + 1;
    return name;
}

// The full path of a loaded module (the executable for null).
inline std::string ModulePath(HMODULE module = nullptr) {
    std::string path(MAX_PATH, '\0');
    for (;;) {
        const DWORD length = ::GetModuleFileNameA(module, path.data(), static_cast<DWORD>(path.size()));
        if (length < path.size()) return path.substr(0, length);
        path.resize(path.size() * 2);
    }
}

// The test executable's folder with its trailing backslash (the program's AppDir when it runs the windows).
inline std::string ProgramFolder() {
    const std::string path = ModulePath();
    return path.substr(0, path.size() - FileNameOf(path).size());
}

// The plug-in helper that the build made, one folder above the tests (the program looks for it beside itself).
inline std::string BuiltSpiHost() {
    return ProgramFolder() + "..\\velmira_spihost.exe";
}

}  // namespace testsupport
