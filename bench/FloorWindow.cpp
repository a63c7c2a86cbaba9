// The fair floor for start-up: the main window's visible work written straight on Win32, with nothing of the
// program's own (no settings file, no plug-ins, no classes around the handles). The same owner window, the
// same topmost captioned window of the same client size and place, the same kinds and number of child windows
// at the same places with the same faces, the same drawn labels and pictures, and the same manifest (visual
// styles, per-monitor awareness), so that the same system libraries are loaded. At 96 DPI only: the benchmark
// runs there. The start-up benchmark times the program against this.
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

namespace {

constexpr char kOwnerClass[] = "VelmiraFloorOwner";
constexpr char kFormClass[] = "VelmiraFloorForm";
constexpr char kBoxClass[] = "VelmiraFloorBox";
constexpr char kTitle[] = "Velmira floor window";

HINSTANCE instance;
HFONT uiFont, sampleFont, channelFont;
HBITMAP sight;

HFONT MakeFont(const char* face, int height, bool bold) {
    return ::CreateFontA(-height, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE, SHIFTJIS_CHARSET,
                         OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, face);
}

HWND Child(const char* cls, DWORD exStyle, DWORD style, HWND parent, const char* text, int x, int y, int w, int h) {
    static int id = 100;
    const HWND hwnd = ::CreateWindowExA(exStyle, cls, text, WS_CHILD | WS_VISIBLE | style, x, y, w, h, parent,
                                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id++)), instance, nullptr);
    ::SendMessageA(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(uiFont), FALSE);
    return hwnd;
}

// What a box (a group box, a radio group, a panel) draws itself, as the program's own boxes do: the face, then
// an etched frame with its caption, or a sunken one-pixel bevel, then the labels and pictures it carries.
struct Box {
    const char* caption;  // null for a panel
    void (*drawContents)(HDC dc);
};

void DrawBox(HWND hwnd, HDC dc, const Box& box) {
    RECT client;
    ::GetClientRect(hwnd, &client);
    ::FillRect(dc, &client, ::GetSysColorBrush(COLOR_BTNFACE));
    if (box.caption) {
        const HGDIOBJ old = ::SelectObject(dc, uiFont);
        TEXTMETRICA metrics;
        ::GetTextMetricsA(dc, &metrics);
        RECT frame = client;
        frame.top = metrics.tmHeight / 2;
        ::DrawEdge(dc, &frame, EDGE_ETCHED, BF_RECT);
        if (*box.caption) {
            RECT text{8, 0, 200, metrics.tmHeight};
            ::SetBkColor(dc, ::GetSysColor(COLOR_BTNFACE));
            ::DrawTextA(dc, box.caption, -1, &text, DT_LEFT | DT_SINGLELINE | DT_NOPREFIX);
        }
        ::SelectObject(dc, old);
    } else {
        ::DrawEdge(dc, &client, BDR_SUNKENOUTER, BF_RECT);
    }
    if (box.drawContents) box.drawContents(dc);
}

void DrawPreview(HDC dc) {
    RECT picture{1, 1, 164, 189};
    ::FillRect(dc, &picture, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
    const HGDIOBJ old = ::SelectObject(dc, sampleFont);
    ::SetBkMode(dc, TRANSPARENT);
    RECT text{10, 10, 160, 180};
    ::DrawTextA(dc, "あいうえお\n\nABCDEFG\n\n0123456789", -1, &text, DT_LEFT | DT_NOPREFIX);
    ::SelectObject(dc, old);
}

void DrawSight(HDC dc) {
    const HDC source = ::CreateCompatibleDC(dc);
    const HGDIOBJ old = ::SelectObject(source, sight);
    ::BitBlt(dc, 1, 1, 29, 29, source, 0, 0, SRCCOPY);
    ::SelectObject(source, old);
    ::DeleteDC(source);
}

void DrawChannelLetters(HDC dc) {
    const HGDIOBJ old = ::SelectObject(dc, channelFont);
    ::SetBkMode(dc, TRANSPARENT);
    const char* letters[] = {"R", "G", "B"};
    const COLORREF colours[] = {RGB(255, 0, 0), RGB(0, 128, 0), RGB(0, 0, 255)};
    for (int i = 0; i < 3; ++i) {
        ::SetTextColor(dc, colours[i]);
        ::TextOutA(dc, 10, 40 + 25 * i, letters[i], 1);
    }
    ::SelectObject(dc, old);
}

const Box kPreview{nullptr, DrawPreview};
const Box kSightPanel{nullptr, DrawSight};
const Box kPictureGroup{"", nullptr};
const Box kRadioGroup{"表示形式", nullptr};
const Box kTextGroup{"文字", DrawChannelLetters};
const Box kBackgroundGroup{"背景", DrawChannelLetters};

LRESULT CALLBACK BoxProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_CREATE:
        ::SetWindowLongPtrA(hwnd, GWLP_USERDATA,
                            reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams));
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT: {
        PAINTSTRUCT paint;
        const HDC dc = ::BeginPaint(hwnd, &paint);
        DrawBox(hwnd, dc, *reinterpret_cast<const Box*>(::GetWindowLongPtrA(hwnd, GWLP_USERDATA)));
        ::EndPaint(hwnd, &paint);
        return 0;
    }
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
        return reinterpret_cast<LRESULT>(::GetSysColorBrush(COLOR_BTNFACE));
    default:
        return ::DefWindowProcA(hwnd, msg, wParam, lParam);
    }
}

HWND BoxWindow(HWND parent, const Box& box, int x, int y, int w, int h) {
    const HWND hwnd = ::CreateWindowExA(WS_EX_CONTROLPARENT, kBoxClass, box.caption ? box.caption : "",
                                        WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, x, y, w, h, parent, nullptr,
                                        instance, const_cast<Box*>(&box));
    ::SendMessageA(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(uiFont), FALSE);
    return hwnd;
}

HWND ChannelEdit(HWND parent, const char* text, int x, int y, int w) {
    return Child("EDIT", WS_EX_CLIENTEDGE, WS_TABSTOP | ES_AUTOHSCROLL, parent, text, x, y, w, 20);
}

void BuildColourGroup(HWND form, const Box& box, int top, const char* hex, const char* channel, int position) {
    const HWND group = BoxWindow(form, box, 180, top, 280, 120);
    ::SendMessageA(ChannelEdit(group, hex, 15, 15, 60), EM_LIMITTEXT, 6, 0);
    for (int i = 0; i < 3; ++i) ChannelEdit(group, channel, 30, 40 + 25 * i, 30);
    for (int i = 0; i < 3; ++i) {
        const HWND bar = Child("SCROLLBAR", 0, WS_TABSTOP | SBS_HORZ, group, "", 70, 43 + 25 * i, 200, 16);
        SCROLLINFO info{sizeof info, SIF_RANGE | SIF_PAGE | SIF_POS, 0, 255, 1, position, 0};
        ::SetScrollInfo(bar, SB_CTL, &info, TRUE);
    }
    Child("BUTTON", 0, WS_TABSTOP | BS_PUSHBUTTON, group, "コピー", 85, 15, 50, 20);
    Child("BUTTON", 0, WS_TABSTOP | BS_PUSHBUTTON, group, "保存", 140, 15, 40, 20);
    Child("BUTTON", 0, WS_TABSTOP | BS_PUSHBUTTON, group, "読込", 179, 15, 40, 20);
    BoxWindow(group, kSightPanel, 230, 9, 31, 31);
}

void BuildForm(HWND form) {
    BoxWindow(form, kPreview, 5, 5, 165, 190);
    const HWND picture = BoxWindow(form, kPictureGroup, 5, 255, 455, 60);
    Child("BUTTON", 0, WS_TABSTOP | BS_AUTOCHECKBOX, picture, "背景に画像を指定する", 20, 0, 137, 17);
    Child("EDIT", WS_EX_CLIENTEDGE, WS_TABSTOP | ES_AUTOHSCROLL | WS_DISABLED, picture, "", 10, 25, 300, 20);
    Child("BUTTON", 0, WS_TABSTOP | BS_PUSHBUTTON | WS_DISABLED, picture, "参照", 310, 25, 50, 20);
    Child("BUTTON", 0, WS_TABSTOP | BS_PUSHBUTTON, picture, "Plug-inのパス", 370, 25, 80, 20);
    const HWND radio = BoxWindow(form, kRadioGroup, 5, 210, 165, 40);
    Child("BUTTON", 0, WS_TABSTOP | WS_GROUP | BS_AUTORADIOBUTTON, radio, "10進数", 8, 13, 77, 22);
    const HWND hex = Child("BUTTON", 0, WS_TABSTOP | BS_AUTORADIOBUTTON, radio, "16進数", 85, 13, 77, 22);
    ::SendMessageA(hex, BM_SETCHECK, BST_CHECKED, 0);
    BuildColourGroup(form, kTextGroup, 5, "000000", "00", 0);
    BuildColourGroup(form, kBackgroundGroup, 130, "FFFFFF", "FF", 255);
}

LRESULT CALLBACK FormProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_ERASEBKGND: {
        RECT client;
        ::GetClientRect(hwnd, &client);
        ::FillRect(reinterpret_cast<HDC>(wParam), &client, ::GetSysColorBrush(COLOR_BTNFACE));
        return 1;
    }
    case WM_DESTROY:
        ::PostQuitMessage(0);
        return 0;
    default:
        return ::DefWindowProcA(hwnd, msg, wParam, lParam);
    }
}

void Register(const char* name, WNDPROC proc) {
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = proc;
    wc.hInstance = instance;
    wc.hCursor = ::LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    wc.lpszClassName = name;
    ::RegisterClassExA(&wc);
}

}  // namespace

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE, LPSTR, int) {
    instance = hInstance;
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_STANDARD_CLASSES | ICC_BAR_CLASSES};
    ::InitCommonControlsEx(&icc);
    Register(kOwnerClass, ::DefWindowProcA);
    Register(kFormClass, FormProc);
    Register(kBoxClass, BoxProc);
    uiFont = MakeFont("ＭＳ Ｐゴシック", 12, false);
    sampleFont = MakeFont("ＭＳ Ｐゴシック", 16, true);
    channelFont = MakeFont("ＭＳ ゴシック", 21, true);
    sight = static_cast<HBITMAP>(::LoadImageA(instance, "SCOPE", IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR));

    const HWND owner = ::CreateWindowExA(0, kOwnerClass, "Velmira", WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX,
                                         ::GetSystemMetrics(SM_CXSCREEN) / 2, ::GetSystemMetrics(SM_CYSCREEN) / 2, 0, 0,
                                         nullptr, nullptr, instance, nullptr);
    constexpr DWORD style = WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
    constexpr DWORD exStyle = WS_EX_TOPMOST | WS_EX_CONTROLPARENT;
    RECT r{0, 0, 467, 323};
    ::AdjustWindowRectEx(&r, style, FALSE, exStyle);
    const HWND form = ::CreateWindowExA(exStyle, kFormClass, kTitle, style, 200, 100, r.right - r.left,
                                        r.bottom - r.top, owner, nullptr, instance, nullptr);
    if (!owner || !form) return 1;
    BuildForm(form);
    ::DragAcceptFiles(form, TRUE);
    ::ShowWindow(owner, SW_SHOWNOACTIVATE);
    ::ShowWindow(form, SW_SHOW);
    MSG msg;
    while (::GetMessageA(&msg, nullptr, 0, 0) > 0) {
        if (::IsDialogMessageA(form, &msg)) continue;
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
    return 0;
}
