#include "color/ContrastTableForm.h"

#include <algorithm>
#include <stdexcept>
#include <utility>

#include "color/Clipboard.h"
#include "text/SystemText.h"
#include "ui/Dpi.h"
#include "ui/UniqueHandle.h"

namespace {

constexpr char kCaption[] = "パレットのコントラスト表";
constexpr char kFace[] = "ＭＳ ゴシック";  // fixed pitch, so that the columns line up
// 96-DPI figures: the margin, the button under the text, and the smallest client area.
constexpr int kMargin = 8;
constexpr int kButtonWidth = 112;
constexpr int kButtonHeight = 25;
constexpr int kMinWidth = 320;
constexpr int kMinHeight = 160;
// Tab stops in dialog units: the two colours, the ratio, the four results, the Lc.
constexpr int kTabStops[] = {40, 80, 140, 176, 208, 248, 284};

ui::FormLayout TableLayout(HWND owner, const TContrastTableForm::Place& place) {
    ui::FormLayout layout;
    layout.caption = kCaption;
    layout.left = place.left;
    layout.top = place.top;
    layout.width = std::max(place.width, kMinWidth);
    layout.height = std::max(place.height, kMinHeight);
    layout.border = ui::FormBorder::Sizeable;
    layout.minimizeBox = false;
    layout.topmost = true;  // it stands beside the main window, which is always on top
    layout.owner = owner;
    return layout;
}

// The multi-line edit breaks lines at CR LF only; the table's line ends are LF, never a trail byte.
std::string WithCrLf(const std::string& text) {
    std::string out;
    out.reserve(text.size() + text.size() / 16);
    for (const char c : text) {
        if (c == '\n') out += '\r';
        out += c;
    }
    return out;
}

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
    : palette_(std::move(palette)) {
    Create(TableLayout(owner, place));
    KeepOnScreen();
    Text.CreateReadOnlyText(*this, {kFace, 12, false});
    Text.SetAccessibleName(kCaption);
    ::SendMessageA(Text.Handle(), EM_SETTABSTOPS, static_cast<WPARAM>(std::size(kTabStops)),
                   reinterpret_cast<LPARAM>(kTabStops));
    BtnSaveCsv.Create({*this, kMargin, kMargin, kButtonWidth, kButtonHeight}, "CSV で保存(&S)...", {kFace, 12, false});
    BtnSaveCsv.OnClick = [this] { SaveCsvClick(); };
    CsvDialog.Filter = "CSV ファイル (*.csv)|*.csv|すべてのファイル (*.*)|*.*";
    CsvDialog.DefaultExt = "csv";
    AddShortcut(0, VK_ESCAPE, [this] { Close(); });
    AddShortcut(MOD_CONTROL, 'C', [this] { CopyTable(); });
    LayOut();
}

// A place saved on a monitor that is gone, or on a smaller or more scaled one, would leave the window partly or
// wholly off the screen: it moves onto the work area of the nearest monitor, its top-left corner first.
void TContrastTableForm::KeepOnScreen() {
    RECT r{};
    ::GetWindowRect(Handle(), &r);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    if (!::GetMonitorInfoA(::MonitorFromRect(&r, MONITOR_DEFAULTTONEAREST), &monitor)) return;
    const RECT& work = monitor.rcWork;
    const int left = std::max<int>(std::min<int>(r.left, work.right - (r.right - r.left)), work.left);
    const int top = std::max<int>(std::min<int>(r.top, work.bottom - (r.bottom - r.top)), work.top);
    if (left != r.left || top != r.top)
        ::SetWindowPos(Handle(), nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TContrastTableForm::ShowTable() {
    Refresh();
    if (Visible()) {
        ::SetActiveWindow(Handle());
    } else {
        Show();
    }
    ::SetFocus(Text.Handle());
}

void TContrastTableForm::PaletteChanged() {
    if (Visible()) Refresh();
}

void TContrastTableForm::Refresh() {
    rows_ = velmira::ContrastTableRows(palette_());
    Text.SetTextIfChanged(WithCrLf(velmira::ContrastTableText(rows_)));
}

void TContrastTableForm::CopyTable() {
    velmira::CopyToClpBrd(WithCrLf(velmira::ContrastTableText(rows_)));
}

void TContrastTableForm::SaveCsvClick() {
    if (CsvDialog.Execute(Handle())) SaveCsvFile(CsvDialog.FileName);
}

void TContrastTableForm::SaveCsvFile(const std::string& path) {
    const std::string bytes = Utf8Of(velmira::ContrastTableCsv(rows_));
    ui::UniqueFile file(
        ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    if (!file || !::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
        written != bytes.size())
        throw std::runtime_error(path + " に書き込めません");
}

TContrastTableForm::Place TContrastTableForm::CurrentPlace() const {
    RECT window{}, client{};
    ::GetWindowRect(Handle(), &window);
    ::GetClientRect(Handle(), &client);
    const UINT dpi = Dpi();
    return Place{ui::UnscaleLayout(window.left, dpi), ui::UnscaleLayout(window.top, dpi),
                 ui::UnscaleLayout(client.right, dpi), ui::UnscaleLayout(client.bottom, dpi)};
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

void TContrastTableForm::OnDpiChanged() {
    LayOut();
}

LRESULT TContrastTableForm::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_SIZE:
        if (Text.Handle()) LayOut();
        break;
    case WM_GETMINMAXINFO: {
        const RECT frame = ui::FrameAround(RECT{0, 0, Scale(kMinWidth), Scale(kMinHeight)},
                                           static_cast<DWORD>(::GetWindowLongA(Handle(), GWL_STYLE)),
                                           static_cast<DWORD>(::GetWindowLongA(Handle(), GWL_EXSTYLE)), Dpi());
        auto* limits = reinterpret_cast<MINMAXINFO*>(lParam);
        limits->ptMinTrackSize = POINT{frame.right - frame.left, frame.bottom - frame.top};
        return 0;
    }
    default:
        break;
    }
    return ui::Form::HandleMessage(msg, wParam, lParam);
}
