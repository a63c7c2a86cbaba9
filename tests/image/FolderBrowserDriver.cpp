#include "image/FolderBrowserDriver.h"

#include <commctrl.h>
#include <shlobj.h>

#include <utility>

namespace testsupport {
namespace {

// The thread timer's procedure gets no pointer of its own; one driver watches at a time.
FolderBrowserDriver* g_driver = nullptr;

struct BrowserSearch {
    HWND owner;  // null: any
    HWND found;
};

bool IsClass(HWND hwnd, const char* name) {
    char cls[64] = {};
    ::GetClassNameA(hwnd, cls, sizeof cls);
    return lstrcmpA(cls, name) == 0;
}

BOOL CALLBACK FindBrowser(HWND hwnd, LPARAM param) {
    auto* search = reinterpret_cast<BrowserSearch*>(param);
    if (!IsClass(hwnd, "#32770") || !::IsWindowVisible(hwnd)) return TRUE;
    if (search->owner && ::GetWindow(hwnd, GW_OWNER) != search->owner) return TRUE;
    search->found = hwnd;
    return FALSE;
}

HWND VisibleBrowser(HWND owner) {
    BrowserSearch search{owner, nullptr};
    ::EnumThreadWindows(::GetCurrentThreadId(), &FindBrowser, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::string WindowText(HWND hwnd) {
    char text[512] = {};
    ::GetWindowTextA(hwnd, text, sizeof text);
    return text;
}

BOOL CALLBACK CollectStatic(HWND hwnd, LPARAM param) {
    if (IsClass(hwnd, "Static")) reinterpret_cast<std::vector<std::string>*>(param)->push_back(WindowText(hwnd));
    return TRUE;
}

std::string ItemText(HWND tree, HTREEITEM item) {
    char text[MAX_PATH] = {};
    TVITEMA tv{};
    tv.mask = TVIF_TEXT;
    tv.hItem = item;
    tv.pszText = text;
    tv.cchTextMax = sizeof text;
    ::SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&tv));
    return text;
}

std::vector<std::string> SelectedNames(HWND browser) {
    std::vector<std::string> names;
    HWND tree = ::FindWindowExA(browser, nullptr, WC_TREEVIEWA, nullptr);
    if (!tree) return names;
    auto item = reinterpret_cast<HTREEITEM>(::SendMessageA(tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
    for (; item; item = reinterpret_cast<HTREEITEM>(
                     ::SendMessageA(tree, TVM_GETNEXTITEM, TVGN_PARENT, reinterpret_cast<LPARAM>(item))))
        names.push_back(ItemText(tree, item));
    return names;
}

}  // namespace

FolderBrowserDriver::FolderBrowserDriver(HWND owner, Answer answer, std::string select)
    : owner_(owner), answer_(answer), select_(std::move(select)), deadline_(::GetTickCount() + 30000) {
    g_driver = this;
    timer_ = ::SetTimer(nullptr, 0, 50, &FolderBrowserDriver::Tick);
}

FolderBrowserDriver::~FolderBrowserDriver() {
    if (timer_) ::KillTimer(nullptr, timer_);
    g_driver = nullptr;
}

// Runs inside the browser's modal loop, which dispatches the thread's timer messages like any other loop.
void CALLBACK FolderBrowserDriver::Tick(HWND, UINT, UINT_PTR, DWORD) {
    FolderBrowserDriver* self = g_driver;
    if (!self || self->answered_) return;
    if (HWND browser = VisibleBrowser(self->owner_)) {
        self->Act(browser);
    } else if (static_cast<LONG>(::GetTickCount() - self->deadline_) > 0) {
        // A browser that is not the one expected (wrong owner) must not leave the test hanging in its loop.
        if (HWND stray = VisibleBrowser(nullptr)) ::PostMessageA(stray, WM_COMMAND, IDCANCEL, 0);
    }
}

void FolderBrowserDriver::Act(HWND browser) {
    answered_ = true;
    ::KillTimer(nullptr, timer_);
    timer_ = 0;
    browser_ = browser;
    browserOwner_ = ::GetWindow(browser, GW_OWNER);
    ::EnumChildWindows(browser, &CollectStatic, reinterpret_cast<LPARAM>(&texts_));
    selection_ = SelectedNames(browser);
    if (!select_.empty()) {
        ::SendMessageA(browser, BFFM_SETSELECTIONA, TRUE, reinterpret_cast<LPARAM>(select_.c_str()));
        movedSelection_ = SelectedNames(browser);
    }
    const int button = answer_ == Answer::Ok ? IDOK : IDCANCEL;
    ::PostMessageA(browser, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                   reinterpret_cast<LPARAM>(::GetDlgItem(browser, button)));
}

std::vector<std::string> PathComponentsBackwards(const std::string& path) {
    std::vector<std::string> parts;
    std::string part;
    for (const char* p = path.c_str(); *p;) {
        const char* next = ::CharNextA(p);
        if (next == p + 1 && *p == '\\') {
            if (!part.empty()) parts.push_back(part);
            part.clear();
        } else {
            part.append(p, next);
        }
        p = next;
    }
    if (!part.empty()) parts.push_back(part);
    return {parts.rbegin(), parts.rend()};
}

}  // namespace testsupport
