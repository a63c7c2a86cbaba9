#pragma once
// Chooses from the next menu that opens, by access keys, as a user does: each time the menu is up and waits for
// input (its owner is told with WM_ENTERIDLE), the next key's character comes in, so that a key that opens a
// submenu is followed by the key of an item in it. Notes the items of the last menu or submenu that opened, as
// they stand once it waits. A menu that never waits for input is closed after a while, so that the test fails
// instead of hanging. One chooser at a time.
#include <windows.h>

#include <string>
#include <vector>

namespace testsupport {

class MenuChooser {
public:
    struct Item {
        std::string text;
        bool enabled;
    };

    explicit MenuChooser(std::string keys);
    MenuChooser(const MenuChooser&) = delete;
    MenuChooser& operator=(const MenuChooser&) = delete;
    ~MenuChooser();

    std::vector<Item> items;
    bool pressed = false;

private:
    static LRESULT CALLBACK BeforeWindowProc(int code, WPARAM wParam, LPARAM lParam);
    static void CALLBACK GiveUp(HWND, UINT, UINT_PTR, DWORD);
    void Note(HMENU menu);

    static inline MenuChooser* current_ = nullptr;
    std::string keys_;
    std::size_t next_ = 0;
    HMENU opened_ = nullptr;
    HHOOK hook_ = nullptr;
    UINT_PTR timer_ = 0;
};

}  // namespace testsupport
