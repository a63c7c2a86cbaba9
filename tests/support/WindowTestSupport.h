#pragma once
// What the window tests share: pumping messages until a condition holds, watching message boxes,
// typing into edits with real key messages, and the settings file beside the test executable.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "image/SpiHostProcess.h"
#include "support/ProgramFolder.h"
#include "ui/Form.h"

class TMainForm;

namespace ui {
class Edit;
class GraphicControl;
class ScrollBar;
class Window;
}  // namespace ui

namespace testsupport {

// Dispatches messages until `condition` holds or `timeoutMs` has passed; returns the condition's last answer.
bool PumpUntil(const std::function<bool()>& condition, int timeoutMs = 10000);
// Dispatches everything that is queued now.
void PumpPending();
// Dispatches only paint messages until `condition` holds or `timeoutMs` has passed: the windows under ours repaint
// what ours uncovered, as another program would on its own, while no timer of the program ticks in between.
bool PaintUntil(const std::function<bool()>& condition, int timeoutMs = 10000);

struct ShownMessage {
    std::string text;
    std::string caption;
    UINT flags;
};

// Records every message box of the program instead of showing it, for as long as it lives.
class MessageBoxRecorder {
public:
    MessageBoxRecorder();
    MessageBoxRecorder(const MessageBoxRecorder&) = delete;
    MessageBoxRecorder& operator=(const MessageBoxRecorder&) = delete;
    ~MessageBoxRecorder();
    std::vector<ShownMessage> messages;
};

// Types `text` into the edit one character at a time as a user would: each character replaces the selection
// and is followed by the key's release, which is what the program reacts to.
void TypeInto(ui::Edit& edit, const std::string& text);
// Selects the whole text, so that the next typed character replaces it.
void SelectAll(ui::Edit& edit);
// Gives the edit the focus, selects its text and types `text` over it.
void Retype(ui::Edit& edit, const std::string& text);
// Releases a key in the edit without changing its text (Shift, a cursor key...).
void ReleaseKey(ui::Edit& edit, WORD key);
// Sends the scroll bar's parent the notification that the bar itself would send.
void SendScroll(ui::ScrollBar& bar, int code, int thumbPos = 0);

// Real input through the system, as the user's mouse and keyboard give it: a mouse button (MOUSEEVENTF_...) at
// the pointer, the wheel by `delta`, a key pressed and released while the `held` keys (VK_CONTROL, VK_SHIFT...)
// are held down.
void SendMouse(DWORD flags);
void SendWheel(int delta, std::initializer_list<WORD> held = {});
void SendKey(WORD key, std::initializer_list<WORD> held = {});

// The clipboard's CF_TEXT, read as another program would; nothing when there is none.
std::optional<std::string> ClipboardText();

// Sets a colour's three channel strings and refreshes the window, as every writer of the model does.
void SetTextColour(TMainForm& form, const std::string& red, const std::string& green, const std::string& blue);
void SetBackColour(TMainForm& form, const std::string& red, const std::string& green, const std::string& blue);


// The DPI that the test's Wine prefix was made with (VELMIRA_DPI, scripts/wine-env.sh); 96 for the default one.
UINT PrefixDpi();

// A control's rectangle in its parent's client area, checked against the layout.
::testing::AssertionResult HasBounds(const RECT& bounds, int left, int top, int width, int height);
::testing::AssertionResult HasBounds(const ui::Window& control, int left, int top, int width, int height);
::testing::AssertionResult HasBounds(const ui::GraphicControl& control, int left, int top, int width, int height);

// The main window as the program makes it, with the plug-in helper the build made and its time limit for each
// call into a plug-in; `modalShown` sees each of its modal dialogs once it is shown. An empty `bundledPlugin` is
// velmira_wic.spi beside the test program.
// Lets the window take the descriptions of the plug-ins its cache did not know, which it waits for nowhere else.
void WaitForPluginDescriptions(TMainForm& form);
std::unique_ptr<TMainForm> NewMainForm(ui::ModalShown modalShown = {},
                                       DWORD answerTimeoutMs = velmira::kSpiHostAnswerTimeoutMs,
                                       std::string bundledPlugin = {});

std::string SettingsPath();
// Removes the settings file and what the program keeps beside it about the plug-ins.
void RemoveSettings();
void WriteFile(const std::string& path, const std::string& bytes);
std::string ReadFile(const std::string& path);

}  // namespace testsupport

// The main window's channel strings and values under the names of the colour model.
const std::string& HexFR(const TMainForm& form);
const std::string& HexFG(const TMainForm& form);
const std::string& HexFB(const TMainForm& form);
const std::string& HexBR(const TMainForm& form);
const std::string& HexBG(const TMainForm& form);
const std::string& HexBB(const TMainForm& form);
std::int32_t ValFR(const TMainForm& form);
std::int32_t ValFG(const TMainForm& form);
std::int32_t ValFB(const TMainForm& form);
std::int32_t ValBR(const TMainForm& form);
std::int32_t ValBG(const TMainForm& form);
std::int32_t ValBB(const TMainForm& form);
