#pragma once
// A system-wide hot key registered for a window of ours, which gets WM_HOTKEY with the key's id whichever
// program is active; unregistered when the object goes.
#include <windows.h>

namespace ui {

class HotKey {
public:
    // `modifiers` are MOD_CONTROL, MOD_SHIFT, MOD_ALT and MOD_WIN. Registered() tells whether the system took it:
    // it refuses a key that another program holds.
    HotKey(HWND window, int id, UINT modifiers, UINT key) noexcept;
    HotKey(const HotKey&) = delete;
    HotKey& operator=(const HotKey&) = delete;
    ~HotKey();

    bool Registered() const noexcept { return registered_; }
    int Id() const noexcept { return id_; }

private:
    HWND window_;
    int id_;
    bool registered_;
};

}  // namespace ui
