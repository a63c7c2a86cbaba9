#include "text/SystemText.h"

#include <windows.h>

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

}  // namespace velmira
