#include "image/FolderBrowserDriver.h"

#include "ui/UniqueHandle.h"

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

// Wine's browser finds a path by comparing its item IDs byte for byte with the ones in the tree, and a
// folder's ID carries its last-access time. The browser reads every folder that it lists, to learn whether
// it has subfolders; on a relatime mount (the default) the first read after a change moves the folder's
// access time, so a folder that changed since it was last read (as every folder a test has just made) can
// stop matching its own ID between the browser's parsing of the path and its listing of the tree, and then
// nothing is selected. Reading each folder listed on the way to the path before the browser does settles
// those times.
void ReadFolder(const std::string& folder) {
    WIN32_FIND_DATAA found;
    const ui::UniqueFind search(::FindFirstFileA((folder + "\\*").c_str(), &found));
}

void ReadSubfolders(const std::string& folder) {
    WIN32_FIND_DATAA found;
    const ui::UniqueFind search(::FindFirstFileA((folder + "*").c_str(), &found));
    if (!search) return;
    do {
        const std::string name = found.cFileName;
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && name != "." && name != "..")
            ReadFolder(folder + name);
    } while (::FindNextFileA(search.get(), &found));
}

void ReadFoldersOnTheWayTo(const std::string& path) {
    const std::vector<std::string> parts = PathComponentsBackwards(path);
    std::string folder;
    for (auto part = parts.rbegin(); part + 1 < parts.rend(); ++part) {
        folder += *part + "\\";
        ReadSubfolders(folder);
    }
}

}  // namespace

FolderBrowserDriver::FolderBrowserDriver(HWND owner, Answer answer, std::string select)
    : owner_(owner), answer_(answer), select_(std::move(select)), deadline_(::GetTickCount() + 20000) {
    g_driver = this;
    hook_ = ::SetWindowsHookExA(WH_CALLWNDPROCRET, &FolderBrowserDriver::AfterWindowProc, nullptr,
                                ::GetCurrentThreadId());
    sentHook_ = ::SetWindowsHookExA(WH_CALLWNDPROC, &FolderBrowserDriver::BeforeWindowProc, nullptr,
                                    ::GetCurrentThreadId());
    timer_ = ::SetTimer(nullptr, 0, 50, &FolderBrowserDriver::Tick);
    // Before the browser lists anything: the items it lists on the way to the preselection are kept.
    if (!select_.empty()) ReadFoldersOnTheWayTo(select_);
}

FolderBrowserDriver::~FolderBrowserDriver() {
    if (timer_) ::KillTimer(nullptr, timer_);
    if (hook_) ::UnhookWindowsHookEx(hook_);
    if (sentHook_) ::UnhookWindowsHookEx(sentHook_);
    g_driver = nullptr;
}

// Wine's browser is visible while it is still initialising, and filling its tree dispatches messages (our
// timer's among them), so that it can be seen before it has asked for its preselection. It counts as open
// only once its WM_INITDIALOG has returned: the program asks for the preselection from inside it, so by then
// the browser has answered that request.
LRESULT CALLBACK FolderBrowserDriver::AfterWindowProc(int code, WPARAM wParam, LPARAM lParam) {
    const auto* message = reinterpret_cast<const CWPRETSTRUCT*>(lParam);
    if (code == HC_ACTION && g_driver && message->message == WM_INITDIALOG && IsClass(message->hwnd, "#32770"))
        g_driver->initialised_ = message->hwnd;
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

// Runs inside the browser's modal loop, which dispatches the thread's timer messages like any other loop. The
// browser handles a selection request before SendMessage returns, so once it is open each step follows the
// other at once.
void CALLBACK FolderBrowserDriver::Tick(HWND, UINT, UINT_PTR, DWORD) {
    FolderBrowserDriver* self = g_driver;
    if (!self || self->browser_) return;
    HWND browser = VisibleBrowser(self->owner_);
    if (browser && browser == self->initialised_) {
        self->Note(browser);
        self->Respond();
    } else if (static_cast<LONG>(::GetTickCount() - self->deadline_) > 0) {
        // A browser that is not the one expected (wrong owner) must not leave the test hanging in its loop.
        if (HWND stray = VisibleBrowser(nullptr)) ::PostMessageA(stray, WM_COMMAND, IDCANCEL, 0);
    }
}

// Notes what the program's browser callback asks the browser to select (the request itself is the record of
// it: the browser selects nothing for a path it cannot find), and reads the folders on the way first.
LRESULT CALLBACK FolderBrowserDriver::BeforeWindowProc(int code, WPARAM wParam, LPARAM lParam) {
    const auto* message = reinterpret_cast<const CWPSTRUCT*>(lParam);
    FolderBrowserDriver* self = g_driver;
    if (code == HC_ACTION && self && !self->browser_ && message->message == BFFM_SETSELECTIONA && message->wParam &&
        message->lParam && IsClass(message->hwnd, "#32770")) {
        self->preselected_.push_back(reinterpret_cast<const char*>(message->lParam));
        ReadFoldersOnTheWayTo(self->preselected_.back());
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

// Notes what the browser shows and moves its selection, if the test asked for that.
void FolderBrowserDriver::Note(HWND browser) {
    browser_ = browser;
    browserOwner_ = ::GetWindow(browser, GW_OWNER);
    ::EnumChildWindows(browser, &CollectStatic, reinterpret_cast<LPARAM>(&texts_));
    selection_ = SelectedNames(browser);
    if (select_.empty()) return;
    // The browser's answer to this is its dialog procedure's, which SendMessage does not pass on.
    ::SendMessageA(browser, BFFM_SETSELECTIONA, TRUE, reinterpret_cast<LPARAM>(select_.c_str()));
    movedSelection_ = SelectedNames(browser);
}

void FolderBrowserDriver::Respond() {
    answered_ = true;
    ::KillTimer(nullptr, timer_);
    timer_ = 0;
    const int button = answer_ == Answer::Ok ? IDOK : IDCANCEL;
    ::PostMessageA(browser_, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                   reinterpret_cast<LPARAM>(::GetDlgItem(browser_, button)));
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
