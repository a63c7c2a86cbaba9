// The main window's choice of the plug-in folder: the shell's folder browser, then the plug-ins reloaded.
#include "app/MainForm.h"
#include "image/FolderDlgClass.h"

void TMainForm::BtnSPIClick() {
    const std::string current = SpiPath;
    // Lives for this one click; released on every exit, cancelled or not.
    FolderDlgClass dialog;
    dialog.Owner = Handle();
    dialog.Title = "Plug-in のあるパスを指定して下さい。";
    dialog.InitialDir = current;
    if (dialog.Execute()) {
        SpiPath = dialog.SelectedDir;
        SetSPI();
    }
}
