#include "support/TestFolders.h"

#include "ui/UniqueHandle.h"
#include "support/ProgramFolder.h"

namespace testsupport {

void RemoveTree(const std::string& folder) {
    WIN32_FIND_DATAA found;
    const ui::UniqueFind search(::FindFirstFileA((folder + "\\*").c_str(), &found));
    if (search) {
        do {
            const std::string name = found.cFileName;
            if (name == "." || name == "..") continue;
            const std::string path = folder + "\\" + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(path);
            } else {
                ::DeleteFileA(path.c_str());
            }
        } while (::FindNextFileA(search.get(), &found));
    }
    ::RemoveDirectoryA(folder.c_str());
}

std::string ModuleName(HMODULE module) {
    return FileNameOf(ModulePath(module));
}

}  // namespace testsupport
