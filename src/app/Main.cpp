// The entry function: one copy per logon session, then the main window and its message loop.
#include <windows.h>

#include <memory>

#include "app/MainForm.h"
#include "ui/Application.h"
#include "ui/SystemLibrary.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    // Before any DLL is loaded on demand: none from the current folder or PATH.
    ui::RestrictDllSearch();
    // The mutex's existence is the signal; its handle stays open until the process ends, which removes it.
    HANDLE mutex = ::CreateMutexA(nullptr, FALSE, "Korrindel");
    const DWORD lastError = ::GetLastError();
    if (!mutex || lastError == ERROR_ALREADY_EXISTS) return -1;

    ui::Application& app = ui::Application::Get();
    std::unique_ptr<TMainForm> mainForm;
    try {
        app.Initialize();
        app.SetTitle("Velmira");
        mainForm = std::make_unique<TMainForm>();
        app.SetMainForm(mainForm.get());
        app.Run();
    } catch (...) {
        app.ShowCurrentException();
    }
    app.SetMainForm(nullptr);
    return 0;
}
