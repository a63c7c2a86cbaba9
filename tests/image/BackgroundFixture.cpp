#include "image/BackgroundFixture.h"

#include <shlobj.h>

#include "ui/UniqueHandle.h"

namespace backgroundtest {

namespace {

void EmptyFolder(const std::string& folder) {
    WIN32_FIND_DATAA match{};
    ui::UniqueFind search(::FindFirstFileA((folder + "*").c_str(), &match));
    if (!search) return;
    do {
        const std::string name = match.cFileName;
        if (name == "." || name == "..") continue;
        const std::string path = folder + name;
        ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        if (match.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            EmptyFolder(path + "\\");
            ::RemoveDirectoryA(path.c_str());
        } else {
            ::DeleteFileA(path.c_str());
        }
    } while (::FindNextFileA(search.get(), &match));
}

}  // namespace

void BackgroundWindow::SetUp() {
    folder = testsupport::ProgramFolder() + "bgpictures\\";
    ::CreateDirectoryA(folder.c_str(), nullptr);
    EmptyFolder(folder);
    MainWindowTest::SetUp();
    testsupport::SetBackColour(*form, "12", "34", "56");
}

void BackgroundWindow::TearDown() {
    MainWindowTest::TearDown();
    EmptyFolder(folder);
}

std::string BackgroundWindow::Write(const std::string& name, const std::string& bytes) {
    const std::string path = PathOf(name);
    testsupport::WriteFile(path, bytes);
    return path;
}

void BackgroundWindow::Click(ui::CheckBox& box) {
    ::SendMessageA(box.Handle(), BM_CLICK, 0, 0);
    testsupport::PumpPending();
}

char BackgroundWindow::TypeAndPressEnter(const std::string& text) {
    ui::Edit& edit = form->EditBackImage;
    edit.SetText(text);
    ::SetFocus(edit.Handle());
    // Watch the key after the program's own key-press handling has seen it.
    const auto programHandler = edit.OnKeyPress;
    bool pressed = false;
    char seen = -1;
    edit.OnKeyPress = [&](char& key) {
        programHandler(key);
        seen = key;
        pressed = true;
    };
    ::PostMessageA(edit.Handle(), WM_KEYDOWN, VK_RETURN, 0x001C0001);
    const bool arrived = testsupport::PumpUntil([&] { return pressed; });
    edit.OnKeyPress = programHandler;
    EXPECT_TRUE(arrived) << "Enter never reached the edit";
    return seen;
}

void BackgroundWindow::Drop(const std::vector<std::string>& paths) {
    std::size_t size = sizeof(DROPFILES) + 1;
    for (const std::string& p : paths) size += p.size() + 1;
    // The receiver releases the block with DragFinish, as it does with the shell's.
    HGLOBAL block = ::GlobalAlloc(GHND, size);
    ASSERT_NE(block, nullptr);
    {
        ui::ScopedGlobalLock lock(block);
        auto* drop = static_cast<DROPFILES*>(lock.get());
        drop->pFiles = sizeof(DROPFILES);
        drop->fWide = FALSE;
        char* out = reinterpret_cast<char*>(drop) + sizeof(DROPFILES);
        for (const std::string& p : paths) out = std::copy(p.begin(), p.end(), out) + 1;
    }
    ::SendMessageA(form->Handle(), WM_DROPFILES, reinterpret_cast<WPARAM>(block), 0);
    testsupport::PumpPending();
}

bool BackgroundWindow::PreviewIsUniform(COLORREF colour) {
    const ui::Canvas& canvas = form->ImageBackG.Picture();
    for (int y = 0; y < canvas.Height(); ++y)
        for (int x = 0; x < canvas.Width(); ++x)
            if (canvas.Pixel(x, y) != colour) return false;
    return true;
}

COLORREF BackgroundWindow::EditBackgroundColour() {
    ui::UniqueMemoryDC dc(::CreateCompatibleDC(nullptr));
    // A disabled edit asks with WM_CTLCOLORSTATIC, an enabled one with WM_CTLCOLOREDIT.
    const UINT msg = form->EditBackImage.Enabled() ? WM_CTLCOLOREDIT : WM_CTLCOLORSTATIC;
    ::SendMessageA(::GetParent(form->EditBackImage.Handle()), msg, reinterpret_cast<WPARAM>(dc.get()),
                   reinterpret_cast<LPARAM>(form->EditBackImage.Handle()));
    return ::GetBkColor(dc.get());
}

}  // namespace backgroundtest
