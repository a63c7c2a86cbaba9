#pragma once
// A form's window menu (Alt+Space, or a click on the caption's icon) with the program's own items below the
// system's. Each item carries the action it runs; a submenu is made anew from its filler each time it opens,
// so that it always shows things as they are. The system's own items stay as they are, and their commands go on
// to the system. The form that owns it hands its messages to HandleMessage before its own handling.
#include <windows.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace ui {

struct WindowMenuEntry {
    std::string text;  // with its access key after "&"
    std::function<void()> action;
    bool enabled = true;
    // A picture before the text, drawn by the program into the area the menu gives it whenever the menu draws
    // the item, so that a highlighted item shows it as it is; none when `pictureSize` is empty.
    std::function<void(HDC dc, const RECT& area)> drawPicture;
    SIZE pictureSize{};
};

class WindowMenu {
public:
    // The window whose menu this is; its items go below the system's, in the order they are added.
    explicit WindowMenu(HWND window) noexcept : window_(window) {}
    WindowMenu(const WindowMenu&) = delete;
    WindowMenu& operator=(const WindowMenu&) = delete;

    void AddSeparator();
    // The text may carry an access key ("&D") and, after a tab, the shortcut that the form answers itself
    // ("\tCtrl+D"). The item's command id, for EnableItem.
    UINT AddItem(const std::string& text, std::function<void()> action);
    // Greys an item out, or enables it again.
    void EnableItem(UINT id, bool enabled);
    void AddSubmenu(const std::string& text, std::function<std::vector<WindowMenuEntry>()> fill);

    // An item chosen runs its action (WM_SYSCOMMAND; for an item of a submenu the system may send the menu's
    // WM_COMMAND instead), a submenu about to open is filled (WM_INITMENUPOPUP), an item's picture is measured
    // and drawn (WM_MEASUREITEM, WM_DRAWITEM); true when the message was one of these for this menu, which the
    // window then answers with `result`.
    bool HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);

private:
    struct Submenu {
        HMENU handle = nullptr;  // owned by the window menu it was inserted into
        std::function<std::vector<WindowMenuEntry>()> fill;
        UINT firstId = 0;
        std::vector<UINT> ids;
    };
    struct Picture {
        std::function<void(HDC, const RECT&)> draw;
        SIZE size;
    };

    void Fill(Submenu& submenu);
    bool Run(UINT id);
    HMENU Menu() const;

    HWND window_ = nullptr;
    std::map<UINT, std::function<void()>> actions_;
    std::map<UINT, Picture> pictures_;
    std::vector<std::unique_ptr<Submenu>> submenus_;
    UINT nextItemId_ = kFirstItemId;

    // System commands keep their low four bits for the system, and the system's own start at 0xF000.
    static constexpr UINT kIdStep = 0x10;
    static constexpr UINT kFirstItemId = 0x1000;
    static constexpr UINT kFirstSubmenuId = 0x4000;
    static constexpr UINT kSubmenuIdRange = 0x800;  // up to 128 entries a submenu
};

}  // namespace ui
