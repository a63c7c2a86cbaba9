#include "colorwindows/ContrastTableForm.h"

#include <algorithm>
#include <stdexcept>
#include <utility>

#include "colorwindows/Clipboard.h"
#include "text/SystemText.h"
#include "ui/Dpi.h"
#include "ui/SideWindow.h"
#include "ui/WholeFile.h"

namespace {

constexpr char kCaption[] = "パレットのコントラスト表";
// 96-DPI figures: the margin, the button under the text, and the smallest client area.
constexpr int kMargin = 8;
constexpr int kButtonWidth = 112;
constexpr int kButtonHeight = 25;
constexpr int kMinWidth = 320;
constexpr int kMinHeight = 160;
// Tab stops in dialog units (four to a character of the fixed-pitch face), each column a little wider than its
// header or its widest figure: the two colours, the ratio, the four results, the Lc.
constexpr int kTabStops[] = {36, 72, 136, 172, 200, 240, 272};

// Code page 932 text as UTF-8, for the CSV file that other programs read.
std::string Utf8Of(const std::string& text) {
    const std::wstring wide = velmira::WideText(text);
    if (wide.empty()) return std::string();
    const int size = ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0,
                                           nullptr, nullptr);
    std::string out(static_cast<std::size_t>(size), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), out.data(), size, nullptr, nullptr);
    return out;
}

}  // namespace

TContrastTableForm::TContrastTableForm(HWND owner, Palette palette, const Place& place)
    : SideForm(kMinWidth, kMinHeight), palette_(std::move(palette)) {
    CreateSide(owner, kCaption, place);
    Text.CreateReadOnlyText(*this, {ui::kFixedFace, 12, false});  // fixed pitch, so that the columns line up
    Text.SetAccessibleName(kCaption);
    ::SendMessageA(Text.Handle(), EM_SETTABSTOPS, static_cast<WPARAM>(std::size(kTabStops)),
                   reinterpret_cast<LPARAM>(kTabStops));
    BtnSaveCsv.Create({*this, kMargin, kMargin, kButtonWidth, kButtonHeight}, "CSV で保存(&S)...", {ui::kFace, 12, false});
    BtnSaveCsv.OnClick = [this] { SaveCsvClick(); };
    CsvDialog.Filter = "CSV ファイル (*.csv)|*.csv|すべてのファイル (*.*)|*.*";
    CsvDialog.DefaultExt = "csv";
    AddShortcut(0, VK_ESCAPE, [this] { Close(); });
    AddShortcut(MOD_CONTROL, 'C', [this] { CopyTable(); });
    ControlsMade();
}

void TContrastTableForm::ShowTable() {
    Refresh();
    ui::ShowWithFocusOn(*this, Text.Handle());
}

void TContrastTableForm::PaletteChanged() {
    if (Visible()) Refresh();
}

void TContrastTableForm::Refresh() {
    rows_ = velmira::ContrastTableRows(palette_());
    Text.SetTextIfChanged(ui::WithCrLf(velmira::ContrastTableText(rows_)));
}

void TContrastTableForm::CopyTable() {
    velmira::CopyToClpBrd(ui::WithCrLf(velmira::ContrastTableText(rows_)));
}

void TContrastTableForm::SaveCsvClick() {
    if (CsvDialog.Execute(Handle())) SaveCsvFile(CsvDialog.FileName);
}

void TContrastTableForm::SaveCsvFile(const std::string& path) {
    const std::string bytes = Utf8Of(velmira::ContrastTableCsv(rows_));
    if (!ui::WriteWholeFile(path, bytes)) throw std::runtime_error(path + " に書き込めません");
}

// The text takes what the button under it leaves.
void TContrastTableForm::LayOut() {
    RECT client{};
    ::GetClientRect(Handle(), &client);
    const int margin = Scale(kMargin);
    const int buttonTop = std::max<int>(client.bottom - margin - Scale(kButtonHeight), margin);
    Text.SetBounds(margin, margin, std::max<int>(client.right - 2 * margin, 0),
                   std::max<int>(buttonTop - 2 * margin, 0));
    BtnSaveCsv.SetBounds(margin, buttonTop, Scale(kButtonWidth), Scale(kButtonHeight));
}
