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

namespace {

class ProcessFolder {
public:
    ProcessFolder() : path_("C:\\velmira-browse-" + std::to_string(::GetCurrentProcessId())) {
        ::CreateDirectoryA(path_.c_str(), nullptr);
    }
    ProcessFolder(const ProcessFolder&) = delete;
    ProcessFolder& operator=(const ProcessFolder&) = delete;
    ~ProcessFolder() { RemoveTree(path_); }
    const std::string& Path() const noexcept { return path_; }

private:
    std::string path_;
};

}  // namespace

const std::string& BrowsableFolderRoot() {
    static const ProcessFolder folder;
    return folder.Path();
}

std::string ModuleName(HMODULE module) {
    return FileNameOf(ModulePath(module));
}

}  // namespace testsupport
