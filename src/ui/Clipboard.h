#pragma once
// The system clipboard for one copy: each write is a complete open-empty-set-close cycle.
#include <windows.h>

#include <optional>
#include <string>

#include "ui/UniqueHandle.h"

namespace ui {

class Clipboard {
public:
    // The application's hidden window owns what is put on the clipboard; only when there is none does the
    // accessor make a hidden window of its own, destroyed with it.
    Clipboard();
    Clipboard(const Clipboard&) = delete;
    Clipboard& operator=(const Clipboard&) = delete;

    // Replaces the clipboard's contents with `text` as CF_TEXT. Throws "クリップボードを開くことができません"
    // when another program holds the clipboard open; the contents are then left as they were.
    void SetText(const std::string& text);

private:
    UniqueWindow ownWindow_;
    HWND owner_ = nullptr;
};

// The clipboard's text (CF_TEXT), as a paste takes it; nothing when it holds none or cannot be opened.
std::optional<std::string> ClipboardText();

}  // namespace ui
