#pragma once
// The shell's folder browser for one question: which folder? It opens on InitialDir and hands back the
// folder the user confirmed in SelectedDir.
#include <windows.h>

#include <string>

namespace velmira {

class FolderDlgClass {
public:
    HWND Owner = nullptr;
    std::string Title;        // the prompt above the folder tree (code page 932)
    std::string InitialDir;   // selected when the browser opens; empty for none
    std::string SelectedDir;  // the confirmed folder, as the shell spells it (no trailing backslash but at a root)

    // Runs the modal browser; true when the user confirmed a folder, false when it was cancelled or closed.
    bool Execute();
};

// The browser's callback: preselects InitialDir of the object that `data` points at (none for 0). Always 0.
int CALLBACK BrowseCallbackProc(HWND hwnd, UINT message, LPARAM param, LPARAM data);

}  // namespace velmira
