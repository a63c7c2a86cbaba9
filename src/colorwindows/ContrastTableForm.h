#pragma once
// The palette's contrast table: a window beside the main window listing every ordered pair of distinct palette
// colours with their WCAG ratio, levels and APCA Lc, as text in a read-only edit that a screen reader reads line
// by line. Ctrl+C copies the whole table tab-separated; a button saves it as CSV. It follows the palette when
// told to, closes with Esc, and can be moved and sized; its place is the owner's to keep.
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "color/ContrastTable.h"
#include "color/Rgb.h"
#include "ui/Controls.h"
#include "ui/Edit.h"
#include "ui/Form.h"
#include "ui/OpenDialog.h"
#include "ui/SideWindow.h"

class TContrastTableForm : public ui::SideForm {
public:
    // The palette's colours as they stand when asked.
    using Palette = std::function<std::vector<velmira::Rgb>()>;

    // Built hidden, owned by `owner`, at `place` as far as the nearest monitor's work area allows.
    TContrastTableForm(HWND owner, Palette palette, const Place& place);

    // Shows the window with the table as the palette stands, and gives its text the keyboard.
    void ShowTable();
    // The palette changed: an open window shows the new table; a hidden one does nothing.
    void PaletteChanged();

    // The table as tab-separated text to the clipboard (Ctrl+C).
    void CopyTable();
    // The save dialog, then SaveCsvFile.
    void SaveCsvClick();
    // Writes the table as CSV in UTF-8 to `path`; a file that cannot be written throws.
    void SaveCsvFile(const std::string& path);

    ui::Edit Text;
    ui::Button BtnSaveCsv;
    ui::SaveDialog CsvDialog;
    const std::vector<velmira::ContrastTableRow>& Rows() const noexcept { return rows_; }

private:
    void Refresh();
    void LayOut() override;

    Palette palette_;
    std::vector<velmira::ContrastTableRow> rows_;
};
