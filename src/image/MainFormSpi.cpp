// The main window's side of the image plug-ins: reloading them and offering their types in the open-file dialog.
#include <vector>

#include "app/MainForm.h"
#include "image/SpiFilter.h"

void TMainForm::SetSPI() {
    SpiLoader.LoadPlugins(SpiPath);
    const int count = SpiLoader.GetCount();
    std::vector<velmira::ST_SpiInfo> plugins(static_cast<std::size_t>(count));
    SpiLoader.GetSpiInfo(count, plugins);
    // Only the entries change; the entry the user chose last stays selected by its number.
    OpenDialog.Filter = velmira::BuildOpenFilter(plugins);
}
