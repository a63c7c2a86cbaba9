#include "support/WindowTestSupport.h"

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <utility>
#include <vector>
#include <sstream>

#include "app/MainForm.h"
#include "ui/Application.h"
#include "ui/Controls.h"
#include "ui/UniqueHandle.h"
#include "support/ProgramFolder.h"

using velmira::ColorGroup;

namespace testsupport {

bool PumpUntil(const std::function<bool()>& condition, int timeoutMs) {
    const DWORD start = ::GetTickCount();
    for (;;) {
        PumpPending();
        if (condition()) return true;
        if (static_cast<int>(::GetTickCount() - start) > timeoutMs) return condition();
        // Wake for the next message or after a short while, whichever comes first.
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

void PumpPending() {
    ui::Application::Get().ProcessMessages();
}

bool PaintUntil(const std::function<bool()>& condition, int timeoutMs) {
    const DWORD start = ::GetTickCount();
    for (;;) {
        MSG msg;
        while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE | PM_QS_PAINT)) ::DispatchMessageA(&msg);
        if (condition()) return true;
        if (static_cast<int>(::GetTickCount() - start) > timeoutMs) return condition();
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_PAINT);
    }
}

MessageBoxRecorder::MessageBoxRecorder() {
    ui::Application::Get().SetMessageBoxHandler([this](const std::string& text, const std::string& caption, UINT flags) {
        messages.push_back({text, caption, flags});
        return IDOK;
    });
}

MessageBoxRecorder::~MessageBoxRecorder() {
    ui::Application::Get().SetMessageBoxHandler(nullptr);
}

void SelectAll(ui::Edit& edit) {
    ::SendMessageA(edit.Handle(), EM_SETSEL, 0, -1);
}

void TypeInto(ui::Edit& edit, const std::string& text) {
    for (char c : text) {
        const char piece[2] = {c, '\0'};
        ::SendMessageA(edit.Handle(), EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(piece));
        const SHORT vk = ::VkKeyScanA(c);
        ::SendMessageA(edit.Handle(), WM_KEYUP, static_cast<WPARAM>(vk & 0xFF), 0xC0000001);
    }
}

void Retype(ui::Edit& edit, const std::string& text) {
    ::SetFocus(edit.Handle());
    SelectAll(edit);
    TypeInto(edit, text);
}

void ReleaseKey(ui::Edit& edit, WORD key) {
    ::SendMessageA(edit.Handle(), WM_KEYUP, key, 0xC0000001);
}

void SendScroll(ui::ScrollBar& bar, int code, int thumbPos) {
    if (code == SB_THUMBTRACK || code == SB_THUMBPOSITION) {
        // The bar reports the thumb's place through its track position, which only a real drag sets;
        // the 16-bit position of the notification carries the same value for 0 to 255.
        SCROLLINFO info{};
        info.cbSize = sizeof info;
        info.fMask = SIF_POS;
        info.nPos = thumbPos;
        ::SetScrollInfo(bar.Handle(), SB_CTL, &info, FALSE);
    }
    ::SendMessageA(::GetParent(bar.Handle()), WM_HSCROLL, MAKEWPARAM(code, thumbPos),
                   reinterpret_cast<LPARAM>(bar.Handle()));
}

void SendMouse(DWORD flags) {
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = flags;
    ::SendInput(1, &input, sizeof input);
}

namespace {

INPUT KeyInput(WORD vk, DWORD flags) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = vk;
    input.ki.dwFlags = flags;
    return input;
}

// `inputs` with the `held` keys pressed around them, in one go.
void SendHolding(const std::vector<INPUT>& inputs, std::initializer_list<WORD> held) {
    std::vector<INPUT> all;
    for (const WORD modifier : held) all.push_back(KeyInput(modifier, 0));
    all.insert(all.end(), inputs.begin(), inputs.end());
    for (auto it = std::rbegin(held); it != std::rend(held); ++it) all.push_back(KeyInput(*it, KEYEVENTF_KEYUP));
    ::SendInput(static_cast<UINT>(all.size()), all.data(), sizeof all[0]);
}

}  // namespace

void SendWheel(int delta, std::initializer_list<WORD> held) {
    INPUT wheel{};
    wheel.type = INPUT_MOUSE;
    wheel.mi.dwFlags = MOUSEEVENTF_WHEEL;
    wheel.mi.mouseData = static_cast<DWORD>(delta);
    SendHolding({wheel}, held);
}

void SendKey(WORD key, std::initializer_list<WORD> held) {
    SendHolding({KeyInput(key, 0), KeyInput(key, KEYEVENTF_KEYUP)}, held);
}

std::optional<std::string> ClipboardText() {
    std::optional<std::string> text;
    // The system's own clipboard bridge may hold the clipboard for a moment after a change.
    if (!PumpUntil([] { return ::OpenClipboard(nullptr) != FALSE; }, 5000)) return text;
    if (HANDLE data = ::GetClipboardData(CF_TEXT)) {
        ui::ScopedGlobalLock lock(data);
        if (lock) text = std::string(static_cast<const char*>(lock.get()));
    }
    ::CloseClipboard();
    return text;
}

void SetTextColour(TMainForm& form, const std::string& red, const std::string& green, const std::string& blue) {
    form.FontColor().SetChannels(red, green, blue);
}

void SetBackColour(TMainForm& form, const std::string& red, const std::string& green, const std::string& blue) {
    form.BackGColor().SetChannels(red, green, blue);
}

UINT PrefixDpi() {
    char value[16] = {};
    const DWORD length = ::GetEnvironmentVariableA("VELMIRA_DPI", value, sizeof value);
    const int dpi = length > 0 && length < sizeof value ? std::atoi(value) : 0;
    return dpi > 0 ? static_cast<UINT>(dpi) : 96;
}

namespace {

::testing::AssertionResult RectIs(const RECT& r, int left, int top, int width, int height) {
    if (r.left == left && r.top == top && r.right - r.left == width && r.bottom - r.top == height)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "bounds are (" << r.left << ", " << r.top << ", " << r.right - r.left
                                         << " x " << r.bottom - r.top << ")";
}

}  // namespace

::testing::AssertionResult HasBounds(const RECT& bounds, int left, int top, int width, int height) {
    return RectIs(bounds, left, top, width, height);
}

::testing::AssertionResult HasBounds(const ui::Window& control, int left, int top, int width, int height) {
    return RectIs(control.Bounds(), left, top, width, height);
}

::testing::AssertionResult HasBounds(const ui::GraphicControl& control, int left, int top, int width, int height) {
    return RectIs(control.Bounds(), left, top, width, height);
}

std::unique_ptr<TMainForm> NewMainForm(ui::ModalShown modalShown, DWORD answerTimeoutMs, std::string bundledPlugin) {
    auto form = std::make_unique<TMainForm>(
        velmira::SpiHostOptions{BuiltSpiHost(), answerTimeoutMs, std::move(bundledPlugin)}, std::move(modalShown));
    WaitForPluginDescriptions(*form);
    return form;
}

void WaitForPluginDescriptions(TMainForm& form) {
    EXPECT_TRUE(PumpUntil([&] { return !form.Background().SpiLoader().Describing(); }, 60000));
}

std::string SettingsPath() {
    return ProgramFolder() + "velmira.ini";
}

void RemoveSettings() {
    ::SetFileAttributesA(SettingsPath().c_str(), FILE_ATTRIBUTE_NORMAL);
    ::DeleteFileA(SettingsPath().c_str());
    ::DeleteFileA((ProgramFolder() + "velmira_spi.cache").c_str());
}

void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace testsupport

// clang-format off
const std::string& HexFR(const TMainForm& form) { return form.FontColor().Hex(ColorGroup::kRed); }
const std::string& HexFG(const TMainForm& form) { return form.FontColor().Hex(ColorGroup::kGreen); }
const std::string& HexFB(const TMainForm& form) { return form.FontColor().Hex(ColorGroup::kBlue); }
const std::string& HexBR(const TMainForm& form) { return form.BackGColor().Hex(ColorGroup::kRed); }
const std::string& HexBG(const TMainForm& form) { return form.BackGColor().Hex(ColorGroup::kGreen); }
const std::string& HexBB(const TMainForm& form) { return form.BackGColor().Hex(ColorGroup::kBlue); }
std::int32_t ValFR(const TMainForm& form) { return form.FontColor().Value(ColorGroup::kRed); }
std::int32_t ValFG(const TMainForm& form) { return form.FontColor().Value(ColorGroup::kGreen); }
std::int32_t ValFB(const TMainForm& form) { return form.FontColor().Value(ColorGroup::kBlue); }
std::int32_t ValBR(const TMainForm& form) { return form.BackGColor().Value(ColorGroup::kRed); }
std::int32_t ValBG(const TMainForm& form) { return form.BackGColor().Value(ColorGroup::kGreen); }
std::int32_t ValBB(const TMainForm& form) { return form.BackGColor().Value(ColorGroup::kBlue); }
// clang-format on
