#pragma once
// The common file dialogs, open and save, with the properties the program keeps between uses.
#include <windows.h>

#include <string>

namespace ui {

class FileDialog {
public:
    // Entries separated by "|": description, pattern, description, pattern...
    std::string Filter;
    // One-based index of the selected entry; the entry of the last confirmed use is selected next time.
    int FilterIndex = 1;
    std::string InitialDir;
    std::string FileName;
    // With WideNames the dialog runs in UTF-16 and WideFileName is the name exactly as the user chose it,
    // whatever its characters; FileName is then the same in code page 932 (a character it lacks made a
    // stand-in). A run starts with the wide name while FileName still stands for it.
    bool WideNames = false;
    std::wstring WideFileName;

protected:
    // Runs the dialog owned by `owner`; true when the user confirmed a file.
    bool Run(HWND owner, bool save, DWORD flags, const char* defaultExtension);
};

class OpenDialog : public FileDialog {
public:
    bool Execute(HWND owner);
};

// Asks before replacing a file. A name typed without an extension gets DefaultExt, or where the dialog knows
// to, the extension of the filter entry selected.
class SaveDialog : public FileDialog {
public:
    std::string DefaultExt;  // without its dot
    bool Execute(HWND owner);
};

}  // namespace ui
