#pragma once
// The common open-file dialog with the properties the program keeps between uses.
#include <windows.h>

#include <string>

namespace ui {

class OpenDialog {
public:
    // Entries separated by "|": description, pattern, description, pattern...
    std::string Filter;
    // One-based index of the selected entry; the entry of the last confirmed use is selected next time.
    int FilterIndex = 1;
    std::string InitialDir;
    std::string FileName;

    // Runs the dialog owned by `owner`; true when the user confirmed a file.
    bool Execute(HWND owner);
};

}  // namespace ui
