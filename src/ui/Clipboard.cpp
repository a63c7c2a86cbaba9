#include "ui/Clipboard.h"

#include <cstring>
#include <new>
#include <stdexcept>

#include "ui/Application.h"

namespace ui {
namespace {

// The text with its terminating zero in a block that the clipboard can take over.
UniqueGlobal TextBlock(const std::string& text) {
    UniqueGlobal block(::GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE, text.size() + 1));
    if (!block) throw std::bad_alloc();
    ScopedGlobalLock lock(block.get());
    if (!lock) throw std::bad_alloc();
    std::memcpy(lock.get(), text.c_str(), text.size() + 1);
    return block;
}

std::string SystemErrorText(DWORD code) {
    char* buffer = nullptr;
    const DWORD length = ::FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0,
        reinterpret_cast<char*>(&buffer), 0, nullptr);
    std::string text = length ? std::string(buffer, length) : "error " + std::to_string(code);
    if (buffer) ::LocalFree(buffer);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ')) text.pop_back();
    return text;
}

// Holds the clipboard open for one read or write.
class OpenedClipboard {
public:
    explicit OpenedClipboard(HWND owner) noexcept : open_(::OpenClipboard(owner) != FALSE) {}
    OpenedClipboard(const OpenedClipboard&) = delete;
    OpenedClipboard& operator=(const OpenedClipboard&) = delete;
    ~OpenedClipboard() {
        if (open_) ::CloseClipboard();
    }
    explicit operator bool() const noexcept { return open_; }

private:
    bool open_;
};

}  // namespace

Clipboard::Clipboard() : owner_(Application::Get().Handle()) {
    if (owner_) return;
    ownWindow_.reset(::CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, nullptr, nullptr,
                                       ::GetModuleHandleA(nullptr), nullptr));
    owner_ = ownWindow_.get();
}

void Clipboard::SetText(const std::string& text) {
    UniqueGlobal block = TextBlock(text);
    const OpenedClipboard opened(owner_);
    if (!opened) throw std::runtime_error("クリップボードを開くことができません");
    ::EmptyClipboard();
    if (!::SetClipboardData(CF_TEXT, block.get())) {
        const DWORD error = ::GetLastError();
        block.reset();  // the clipboard did not take it
        throw std::runtime_error(SystemErrorText(error));
    }
    block.release();  // the clipboard owns the block
}

std::optional<std::string> ClipboardText() {
    std::optional<std::string> text;
    const OpenedClipboard opened(Application::Get().Handle());
    if (!opened) return text;
    if (HANDLE data = ::GetClipboardData(CF_TEXT)) {
        ScopedGlobalLock lock(data);
        // The block may lack its terminating zero; it is read no further than its size.
        if (lock) {
            const char* bytes = static_cast<const char*>(lock.get());
            const std::size_t size = ::GlobalSize(data);
            text = std::string(bytes, strnlen(bytes, size));
        }
    }
    return text;
}

}  // namespace ui
