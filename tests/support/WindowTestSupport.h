#pragma once
// What the window tests share: pumping messages until a condition holds, watching message boxes,
// typing into edits with real key messages, and the settings file beside the test executable.
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

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
// Releases a key in the edit without changing its text (Shift, a cursor key...).
void ReleaseKey(ui::Edit& edit, WORD key);
// Sends the scroll bar's parent the notification that the bar itself would send.
void SendScroll(ui::ScrollBar& bar, int code, int thumbPos = 0);

// Sets a colour's three channel strings and refreshes the window, as every writer of the model does.
void SetTextColour(TMainForm& form, const char* red, const char* green, const char* blue);
void SetBackColour(TMainForm& form, const char* red, const char* green, const char* blue);

// A control's rectangle in its parent's client area, checked against the layout.
::testing::AssertionResult HasBounds(const ui::Window& control, int left, int top, int width, int height);
::testing::AssertionResult HasBounds(const ui::GraphicControl& control, int left, int top, int width, int height);

// The folder of the running test executable, with its trailing backslash (the program's AppDir).
std::string ExecutableDir();
std::string SettingsPath();
void RemoveSettings();
void WriteFile(const std::string& path, const std::string& bytes);
std::string ReadFile(const std::string& path);

}  // namespace testsupport
