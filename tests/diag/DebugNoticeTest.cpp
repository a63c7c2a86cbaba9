// The start-up notice: a window titled "Ostrimund" hears of each main window that is created.
#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "app/MainForm.h"
#include "diag/DebugNotice.h"
#include "support/WindowTestSupport.h"
#include "ui/Application.h"
#include "ui/UniqueHandle.h"

using velmira::DebugAttach;
using velmira::DebugNotice;
using velmira::DebugNotify;
using velmira::ST_DebugNotice;

namespace {

struct Notice {
    WPARAM wParam;
    ULONG_PTR dwData;
    DWORD cbData;
    std::string data;  // the counted bytes only
};

// A monitor window on a thread of its own with its own message loop, as another program's would be. A hung one
// makes its window and then answers nothing until the test lets it go.
class Monitor {
public:
    enum class Answers { AtOnce, NotUntilReleased };

    explicit Monitor(LRESULT reply = 0, Answers answers = Answers::AtOnce)
        : reply_(reply), released_(::CreateEventA(nullptr, TRUE, answers == Answers::AtOnce, nullptr)) {
        ui::UniqueKernelHandle created(::CreateEventA(nullptr, TRUE, FALSE, nullptr));
        thread_ = std::thread([this, event = created.get()] { Run(event); });
        ::WaitForSingleObject(created.get(), 10000);
    }
    ~Monitor() {
        ::SetEvent(released_.get());
        ::PostThreadMessageA(threadId_, WM_QUIT, 0, 0);
        thread_.join();
        if (deadline_.joinable()) deadline_.join();
    }
    // A hung monitor starts answering after `ms`, so that a caller that waits for it fails instead of hanging.
    void AnswerAfter(DWORD ms) {
        deadline_ = std::thread([this, ms] {
            if (::WaitForSingleObject(released_.get(), ms) == WAIT_TIMEOUT) {
                answeredLate_ = true;
                ::SetEvent(released_.get());
            }
        });
    }
    bool AnsweredLate() const noexcept { return answeredLate_; }
    std::vector<Notice> Notices() {
        std::lock_guard<std::mutex> lock(mutex_);
        return notices_;
    }

private:
    void Run(HANDLE created) {
        threadId_ = ::GetCurrentThreadId();
        WNDCLASSA wc{};
        wc.lpfnWndProc = &Monitor::Proc;
        wc.hInstance = ::GetModuleHandleA(nullptr);
        wc.lpszClassName = "VelmiraTestMonitor";
        ::RegisterClassA(&wc);
        HWND window = ::CreateWindowExA(0, wc.lpszClassName, "Ostrimund", WS_OVERLAPPED, 0, 0, 10, 10, nullptr,
                                        nullptr, wc.hInstance, nullptr);
        ::SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        ::SetEvent(created);
        ::WaitForSingleObject(released_.get(), INFINITE);
        MSG msg;
        while (::GetMessageA(&msg, nullptr, 0, 0) > 0) ::DispatchMessageA(&msg);
        ::DestroyWindow(window);
    }
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
        auto* self = reinterpret_cast<Monitor*>(::GetWindowLongPtrA(hwnd, GWLP_USERDATA));
        if (msg == WM_COPYDATA && self) {
            const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
            std::lock_guard<std::mutex> lock(self->mutex_);
            self->notices_.push_back(Notice{wParam, data->dwData, data->cbData,
                                            std::string(static_cast<const char*>(data->lpData), data->cbData)});
            return self->reply_;
        }
        return ::DefWindowProcA(hwnd, msg, wParam, lParam);
    }

    LRESULT reply_;
    ui::UniqueKernelHandle released_;
    DWORD threadId_ = 0;
    std::thread thread_;
    std::thread deadline_;
    std::atomic<bool> answeredLate_{false};
    std::mutex mutex_;
    std::vector<Notice> notices_;
};

std::set<std::string> FilesBesideTheProgram() {
    std::set<std::string> names;
    WIN32_FIND_DATAA found;
    ui::UniqueFind find(::FindFirstFileA((testsupport::ProgramFolder() + "*").c_str(), &found));
    if (!find) return names;
    do names.insert(found.cFileName);
    while (::FindNextFileA(find.get(), &found));
    return names;
}

class DebugNoticeTest : public ::testing::Test {
protected:
    void SetUp() override { testsupport::RemoveSettings(); }
    void TearDown() override { testsupport::RemoveSettings(); }
};

TEST_F(DebugNoticeTest, MonitorHearsOnceOfEachMainWindowWithTheApplicationWindow) {
    Monitor monitor;
    const HWND applicationWindow = ui::Application::Get().Handle();
    for (std::size_t created = 1; created <= 2; ++created) {
        auto form = testsupport::NewMainForm();
        // The notice is sent and waited for, so it has arrived by the time the window exists.
        const std::vector<Notice> notices = monitor.Notices();
        ASSERT_EQ(notices.size(), created);
        const Notice& n = notices.back();
        EXPECT_EQ(n.wParam, reinterpret_cast<WPARAM>(applicationWindow));
        EXPECT_NE(n.wParam, reinterpret_cast<WPARAM>(form->Handle())) << "the application window, not the form";
        EXPECT_EQ(n.dwData, 1u);
        EXPECT_EQ(n.cbData, 1u);
        EXPECT_EQ(n.data, "1");
        EXPECT_EQ(DebugNotice.applicationWindow, applicationWindow);
    }
}

TEST_F(DebugNoticeTest, NotifyReturnsTheMonitorsReplyAndAttachAlwaysOne) {
    ST_DebugNotice record;
    EXPECT_EQ(DebugAttach(record, ui::Application::Get().Handle()), 1) << "no monitor";
    EXPECT_EQ(DebugNotify(record), 0);
    Monitor monitor(42);
    EXPECT_EQ(DebugNotify(record), 42);
    EXPECT_EQ(DebugAttach(record, ui::Application::Get().Handle()), 1);
    EXPECT_EQ(monitor.Notices().size(), 2u);
}

TEST_F(DebugNoticeTest, AHungMonitorDoesNotHoldUpStartUp) {
    Monitor monitor(42, Monitor::Answers::NotUntilReleased);
    monitor.AnswerAfter(60000);
    auto form = testsupport::NewMainForm();
    EXPECT_FALSE(monitor.AnsweredLate()) << "the window waited for the monitor to answer";
    EXPECT_EQ(DebugNotify(DebugNotice), 0) << "no reply from a monitor that does not answer";
}

TEST_F(DebugNoticeTest, WithoutAMonitorNothingIsSentAndNoFileIsWritten) {
    ASSERT_EQ(::FindWindowA(nullptr, "Ostrimund"), nullptr);
    const std::set<std::string> before = FilesBesideTheProgram();
    {
        TMainForm form;
        form.Show();
        testsupport::PumpPending();
    }
    testsupport::PumpPending();
    EXPECT_EQ(FilesBesideTheProgram(), before);
}

}  // namespace
