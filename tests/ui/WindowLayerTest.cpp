// The window layer's own guarantees: it knows no window but its own, and errors do not pile up.
#include <gtest/gtest.h>
#include <windows.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "support/MainWindowTest.h"
#include "ui/Application.h"
#include "ui/UniqueHandle.h"

namespace {

using WindowLayer = testsupport::MainWindowTest;

TEST_F(WindowLayer, FromHandleAnswersOnlyForWindowsTheLayerMade) {
    EXPECT_EQ(ui::Window::FromHandle(form->Handle()), form.get());
    EXPECT_EQ(ui::Window::FromHandle(form->EditFR.Handle()), &form->EditFR);
    // A window of someone else's class whose user data happens to hold the address of one of our objects.
    const ui::UniqueWindow foreign(::CreateWindowExA(0, "STATIC", "", 0, 0, 0, 10, 10, nullptr, nullptr,
                                                     ::GetModuleHandleA(nullptr), nullptr));
    ASSERT_TRUE(foreign);
    ::SetWindowLongPtrA(foreign.get(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(form.get()));
    EXPECT_EQ(ui::Window::FromHandle(foreign.get()), nullptr);
    EXPECT_EQ(ui::Window::FromHandle(::GetDesktopWindow()), nullptr);
}

TEST_F(WindowLayer, AnErrorRaisedWhileAnErrorBoxIsUpIsNotShownOnTopOfIt) {
    std::vector<std::string> shown;
    ui::Application& app = ui::Application::Get();
    app.SetMessageBoxHandler([&](const std::string& text, const std::string&, UINT) {
        shown.push_back(text);
        // What a paint that fails again does while the first box is up.
        if (shown.size() == 1) app.ShowException(std::runtime_error("second"));
        return IDOK;
    });
    app.ShowException(std::runtime_error("first"));
    app.ShowException(std::runtime_error("third"));  // the first box is closed by now
    app.SetMessageBoxHandler(nullptr);
    EXPECT_EQ(shown, (std::vector<std::string>{"first.", "third."}));
}

}  // namespace
