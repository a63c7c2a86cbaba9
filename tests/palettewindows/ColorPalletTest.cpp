// The palette dialog, opened through the main window's real buttons and driven with real mouse messages
// while it runs its modal loop; the settings file beside the test executable is what it reads and writes.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "app/MainForm.h"
#include "palettewindows/ColorPallet.h"
#include "support/MenuChooser.h"
#include "support/MainWindowTest.h"
#include "support/WindowTestSupport.h"
#include "text/SystemText.h"
#include "ui/Application.h"
#include "ui/UniqueHandle.h"

namespace {

using Entries = std::vector<std::pair<std::string, std::string>>;

// The key=value lines of one section of an INI text, in file order.
Entries SectionEntries(const std::string& text, const std::string& section) {
    Entries entries;
    std::istringstream in(text);
    std::string line;
    bool inside = false;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!line.empty() && line.front() == '[') {
            inside = line == "[" + section + "]";
            continue;
        }
        const std::size_t equals = line.find('=');
        if (inside && equals != std::string::npos) entries.emplace_back(line.substr(0, equals), line.substr(equals + 1));
    }
    return entries;
}

// Twenty slot entries in order, slot n holding values[n - 1].
Entries SlotEntries(const std::vector<std::string>& values) {
    Entries entries;
    for (std::size_t i = 0; i < values.size(); ++i) entries.emplace_back("Palllet" + std::to_string(i + 1), values[i]);
    return entries;
}

std::string PalletFile(const Entries& entries) {
    std::string text = "[Pallet]\r\n";
    for (const auto& [key, value] : entries) text += key + "=" + value + "\r\n";
    return text;
}

std::vector<std::string> AllWhite() {
    return std::vector<std::string>(TColorPallet::kSlotCount, "FFFFFF");
}

// A real click: the left button pressed and released inside the slot.
void ClickSlot(TColorPallet& dialog, int slot) {
    ui::Panel* panel = dialog.PanelNamed("Panel" + std::to_string(slot));
    ASSERT_NE(panel, nullptr) << slot;
    ::SendMessageA(panel->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 10));
    ::SendMessageA(panel->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(20, 10));
}

void Press(ui::Button& button) {
    ::SendMessageA(button.Handle(), BM_CLICK, 0, 0);
}

class ColorPalletTest : public testsupport::MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        testsupport::SetTextColour(*form, "11", "22", "33");
        testsupport::SetBackColour(*form, "44", "55", "66");
    }
    void TearDown() override {
        ui::Application::Get().SetMessageBoxHandler(nullptr);
        MainWindowTest::TearDown();
    }


    // Clicks `button` of the main window; `drive` runs once the dialog is shown and ends it. Checks that the
    // dialog was published as ColorPallet while it ran and that nothing of it is left afterwards.
    void OpenThrough(ui::Button& button, const std::function<void(TColorPallet&)>& drive) {
        bool ran = false;
        modalShown = [&](ui::Form& shown) {
            ran = true;
            auto* dialog = dynamic_cast<TColorPallet*>(&shown);
            ASSERT_NE(dialog, nullptr);
            EXPECT_EQ(ColorPallet, dialog);
            EXPECT_TRUE(dialog->Visible());
            EXPECT_FALSE(::IsWindowEnabled(form->Handle())) << "the main window takes no input meanwhile";
            drive(*dialog);
            // Whatever the checks found, leave the modal loop rather than wait for a user.
            if (dialog->ModalResult() == ui::mrNone) dialog->SetModalResult(ui::mrCancel);
        };
        Press(button);
        modalShown = nullptr;
        EXPECT_TRUE(ran) << "the dialog was not shown";
        EXPECT_EQ(ColorPallet, nullptr);
        EXPECT_TRUE(::IsWindowEnabled(form->Handle()));
    }

    static std::string Settings() { return testsupport::ReadFile(testsupport::SettingsPath()); }
    static void StoreSlots(const std::vector<std::string>& values) {
        testsupport::WriteFile(testsupport::SettingsPath(), PalletFile(SlotEntries(values)));
    }

};


// Whether `upper` comes before `lower` in the z-order of top-level windows.
bool IsAbove(HWND upper, HWND lower) {
    for (HWND hwnd = ::GetTopWindow(nullptr); hwnd; hwnd = ::GetWindow(hwnd, GW_HWNDNEXT)) {
        if (hwnd == upper) return true;
        if (hwnd == lower) return false;
    }
    return false;
}

TEST_F(ColorPalletTest, DialogIsLaidOutAsDesignedAndOwnedByTheMainWindow) {
    OpenThrough(form->BtnSaveFont, [&](TColorPallet& dialog) {
        RECT outer{};
        ::GetWindowRect(dialog.Handle(), &outer);
        EXPECT_EQ(outer.left, 307);
        EXPECT_EQ(outer.top, 174);
        EXPECT_EQ(outer.right - outer.left, 355);
        EXPECT_EQ(outer.bottom - outer.top, 170);
        char caption[64] = {};
        ::GetWindowTextA(dialog.Handle(), caption, sizeof caption);
        EXPECT_STREQ(caption, "ColorPallet");
        const LONG style = ::GetWindowLongA(dialog.Handle(), GWL_STYLE);
        for (LONG bit : {WS_CAPTION, WS_SYSMENU, WS_THICKFRAME, WS_MINIMIZEBOX, WS_MAXIMIZEBOX})
            EXPECT_EQ(style & bit, bit) << std::hex << bit;
        EXPECT_EQ(::GetWindow(dialog.Handle(), GW_OWNER), form->Handle());
        // The dialog asks for no topmost place of its own; the system keeps a window owned by the always-on-top
        // main window above it, which is where the user must find it.
        EXPECT_TRUE(IsAbove(dialog.Handle(), form->Handle()));

        EXPECT_TRUE(testsupport::HasBounds(dialog.PanelCurColor, 270, 30, 70, 40));
        EXPECT_TRUE(testsupport::HasBounds(dialog.BtnOk, 270, 80, 70, 25));
        EXPECT_TRUE(testsupport::HasBounds(dialog.BtnCancel, 270, 110, 70, 25));
        EXPECT_EQ(dialog.BtnOk.Text(), "Ok");
        EXPECT_EQ(dialog.BtnCancel.Text(), "Cancel");
        const HFONT font = ui::Application::Get().Font({"ＭＳ Ｐゴシック", 12, false});
        EXPECT_EQ(reinterpret_cast<HFONT>(::SendMessageA(dialog.BtnOk.Handle(), WM_GETFONT, 0, 0)), font);
        EXPECT_EQ(dialog.LabelPallet.Bounds().left, 10);
        EXPECT_EQ(dialog.LabelPallet.Bounds().top, 5);
        EXPECT_EQ(dialog.LabelCurColor.Bounds().left, 270);
        EXPECT_EQ(dialog.LabelCurColor.Bounds().top, 15);

        // Tab order: the current colour, Ok, Cancel, then the slots row by row.
        std::vector<HWND> expected{dialog.PanelCurColor.Handle(), dialog.BtnOk.Handle(), dialog.BtnCancel.Handle()};
        for (int slot = 1; slot <= TColorPallet::kSlotCount; ++slot) {
            ui::Panel* panel = dialog.PanelNamed("Panel" + std::to_string(slot));
            ASSERT_NE(panel, nullptr);
            const int row = (slot - 1) / 5, column = (slot - 1) % 5;
            EXPECT_TRUE(testsupport::HasBounds(*panel, 10 + 50 * column, 25 + 30 * row, 40, 20)) << "slot " << slot;
            expected.push_back(panel->Handle());
        }
        std::vector<HWND> children;
        for (HWND child = ::GetWindow(dialog.Handle(), GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
            children.push_back(child);
        EXPECT_EQ(children, expected);
        EXPECT_EQ(dialog.PanelNamed("Panel0"), nullptr);
        EXPECT_EQ(dialog.PanelNamed("Panel21"), nullptr);
        Press(dialog.BtnCancel);
    });
    EXPECT_TRUE(Settings().empty()) << "Cancel writes nothing";
}

// Each button opens the dialog in its mode on its colour; a slot click then OK stores or recalls that colour.
TEST_F(ColorPalletTest, EachButtonOpensItsModeOnItsColour) {
    struct Case {
        const char* name;
        ui::Button TMainForm::*button;
        bool load;
        COLORREF shown;
        const char* curLabel;
        const char* palletLabel;
    } cases[] = {
        {"save text", &TMainForm::BtnSaveFont, false, RGB(0x11, 0x22, 0x33), "保存する色",
         "保存する場所をクリックして下さい。"},
        {"load text", &TMainForm::BtnLoadFont, true, RGB(0x11, 0x22, 0x33), "読み込む色",
         "読み込む場所をクリックして下さい。"},
        {"save background", &TMainForm::BtnSaveBackG, false, RGB(0x44, 0x55, 0x66), "保存する色",
         "保存する場所をクリックして下さい。"},
        {"load background", &TMainForm::BtnLoadBackG, true, RGB(0x44, 0x55, 0x66), "読み込む色",
         "読み込む場所をクリックして下さい。"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        testsupport::SetTextColour(*form, "11", "22", "33");
        testsupport::SetBackColour(*form, "44", "55", "66");
        std::vector<std::string> stored = AllWhite();
        stored[4] = "ABCDEF";
        StoreSlots(stored);

        OpenThrough((*form).*c.button, [&](TColorPallet& dialog) {
            EXPECT_EQ(dialog.PalletMode, c.load ? TColorPallet::kLoadMode : TColorPallet::kSaveMode);
            EXPECT_EQ(dialog.PanelCurColor.Color(), c.shown);
            EXPECT_EQ(dialog.LabelCurColor.Caption(), c.curLabel);
            EXPECT_EQ(dialog.LabelPallet.Caption(), c.palletLabel);
            EXPECT_EQ(dialog.Panels[4].Color(), RGB(0xAB, 0xCD, 0xEF));
            ClickSlot(dialog, 5);
            Press(dialog.BtnOk);
        });

        std::vector<std::string> written = stored;
        if (!c.load) written[4] = c.shown == RGB(0x11, 0x22, 0x33) ? "112233" : "445566";
        EXPECT_EQ(SectionEntries(Settings(), "Pallet"), SlotEntries(written));

        const bool textLoaded = c.load && c.button == &TMainForm::BtnLoadFont;
        const bool backLoaded = c.load && c.button == &TMainForm::BtnLoadBackG;
        EXPECT_EQ(HexFR(*form) + HexFG(*form) + HexFB(*form), textLoaded ? "ABCDEF" : "112233");
        EXPECT_EQ(HexBR(*form) + HexBG(*form) + HexBB(*form), backLoaded ? "ABCDEF" : "445566");
        // The main window refreshed its editors from the colour it took.
        EXPECT_EQ(form->EditFont.Text(), textLoaded ? "ABCDEF" : "112233");
        EXPECT_EQ(form->EditBackG.Text(), backLoaded ? "ABCDEF" : "445566");
    }
}

TEST_F(ColorPalletTest, WithNoFileEverySlotIsWhiteAndOkWritesTwentyWhiteKeysInOrder) {
    for (ui::Button* button : {&form->BtnSaveFont, &form->BtnLoadBackG}) {
        testsupport::RemoveSettings();
        OpenThrough(*button, [&](TColorPallet& dialog) {
            for (int i = 0; i < TColorPallet::kSlotCount; ++i)
                EXPECT_EQ(dialog.Panels[i].Color(), RGB(255, 255, 255)) << "slot " << i + 1;
            Press(dialog.BtnOk);
        });
        EXPECT_EQ(SectionEntries(Settings(), "Pallet"), SlotEntries(AllWhite()));
    }
    EXPECT_EQ(HexBR(*form) + HexBG(*form) + HexBB(*form), "445566") << "the current colour came back unchanged";
}

TEST_F(ColorPalletTest, LoadWithoutAClickNormalisesTheChannelStrings) {
    testsupport::SetTextColour(*form, "f", "1FF", "not hex");
    OpenThrough(form->BtnLoadFont, [&](TColorPallet& dialog) {
        EXPECT_EQ(dialog.PanelCurColor.Color(), RGB(0x0F, 0xFF, 0x00));
        Press(dialog.BtnOk);
    });
    EXPECT_EQ(HexFR(*form), "0F");
    EXPECT_EQ(HexFG(*form), "FF");
    EXPECT_EQ(HexFB(*form), "00");
}

TEST_F(ColorPalletTest, InLoadModeTheLastClickDecides) {
    std::vector<std::string> stored = AllWhite();
    stored[0] = "010203", stored[1] = "040506", stored[2] = "070809";
    StoreSlots(stored);
    OpenThrough(form->BtnLoadBackG, [&](TColorPallet& dialog) {
        ClickSlot(dialog, 1);
        ClickSlot(dialog, 3);
        EXPECT_EQ(dialog.PanelCurColor.Color(), RGB(7, 8, 9));
        // Space on a slot with the focus does what a click does.
        ::SetFocus(dialog.Panels[1].Handle());
        testsupport::SendKey(VK_SPACE);
        EXPECT_TRUE(testsupport::PumpUntil([&] { return dialog.PanelCurColor.Color() == RGB(4, 5, 6); }));
        EXPECT_EQ(dialog.Panels[0].Color(), RGB(1, 2, 3)) << "a click in load mode changes no slot";
        Press(dialog.BtnOk);
    });
    EXPECT_EQ(HexBR(*form) + HexBG(*form) + HexBB(*form), "040506");
    EXPECT_EQ(SectionEntries(Settings(), "Pallet"), SlotEntries(stored));
}

// By keyboard alone: the dialog opens on slot 1, the arrows move along its 4 rows of 5 (stopping at the edges),
// Home and End go to the first and the last slot, Esc does nothing, Enter stores; afterwards the main window's
// focus is back on the button that opened the dialog.
TEST_F(ColorPalletTest, TheSlotsAreReachedByArrowsAndTheFocusComesBackAfterwards) {
    StoreSlots(AllWhite());
    ::SetForegroundWindow(form->Handle());
    ASSERT_TRUE(testsupport::PumpUntil([&] { return ::GetActiveWindow() == form->Handle(); }));
    ::SetFocus(form->BtnSaveFont.Handle());
    OpenThrough(form->BtnSaveFont, [&](TColorPallet& dialog) {
        const auto focusOn = [&](int slot) {
            return testsupport::PumpUntil([&] { return ::GetFocus() == dialog.Panels[slot - 1].Handle(); });
        };
        EXPECT_TRUE(focusOn(1)) << "the dialog did not open on slot 1";
        const struct {
            WORD key;
            int slot;
        } moves[] = {{VK_LEFT, 1}, {VK_UP, 1},   {VK_RIGHT, 2}, {VK_DOWN, 7},  {VK_END, 20},
                     {VK_RIGHT, 20}, {VK_DOWN, 20}, {VK_UP, 15}, {VK_LEFT, 14}, {VK_HOME, 1}, {VK_DOWN, 6}};
        for (const auto& move : moves) {
            testsupport::SendKey(move.key);
            EXPECT_TRUE(focusOn(move.slot)) << "key " << move.key << " did not lead to slot " << move.slot;
        }
        testsupport::SendKey(VK_ESCAPE);
        testsupport::SendKey(VK_RETURN);
        EXPECT_TRUE(testsupport::PumpUntil([&] { return dialog.Panels[5].Color() == RGB(0x11, 0x22, 0x33); }));
        EXPECT_EQ(dialog.ModalResult(), ui::mrNone) << "Esc closed the dialog";
        Press(dialog.BtnOk);
    });
    std::vector<std::string> written = AllWhite();
    written[5] = "112233";
    EXPECT_EQ(SectionEntries(Settings(), "Pallet"), SlotEntries(written));
    EXPECT_TRUE(testsupport::PumpUntil([&] { return ::GetFocus() == form->BtnSaveFont.Handle(); }))
        << "the focus did not come back to the button";
}

TEST_F(ColorPalletTest, InSaveModeEveryClickedSlotTakesTheColour) {
    StoreSlots(AllWhite());
    OpenThrough(form->BtnSaveFont, [&](TColorPallet& dialog) {
        ClickSlot(dialog, 2);
        ClickSlot(dialog, 20);
        ClickSlot(dialog, 11);
        Press(dialog.BtnOk);
    });
    std::vector<std::string> written = AllWhite();
    written[1] = written[19] = written[10] = "112233";
    EXPECT_EQ(SectionEntries(Settings(), "Pallet"), SlotEntries(written));
}

TEST_F(ColorPalletTest, CancelOrClosingWritesNothingAndTheNextOpeningShowsTheOldSlots) {
    std::vector<std::string> stored = AllWhite();
    stored[6] = "ABCDEF";
    StoreSlots(stored);
    const std::string before = Settings();

    OpenThrough(form->BtnSaveFont, [&](TColorPallet& dialog) {
        ClickSlot(dialog, 7);
        ClickSlot(dialog, 8);
        EXPECT_EQ(dialog.Panels[6].Color(), RGB(0x11, 0x22, 0x33));
        Press(dialog.BtnCancel);
    });
    EXPECT_EQ(Settings(), before);

    OpenThrough(form->BtnLoadFont, [&](TColorPallet& dialog) {
        EXPECT_EQ(dialog.Panels[6].Color(), RGB(0xAB, 0xCD, 0xEF));
        EXPECT_EQ(dialog.Panels[7].Color(), RGB(255, 255, 255));
        ClickSlot(dialog, 7);
        ::SendMessageA(dialog.Handle(), WM_CLOSE, 0, 0);
        EXPECT_EQ(dialog.ModalResult(), ui::mrCancel);
    });
    EXPECT_EQ(Settings(), before);
    EXPECT_EQ(HexFR(*form) + HexFG(*form) + HexFB(*form), "112233") << "closing hands no colour back";
}

TEST_F(ColorPalletTest, StoredValuesAreReadLenientlyAndWrittenBackNormalised) {
    std::vector<std::string> stored = AllWhite();
    stored[0] = "ab12cd", stored[1] = "12ab", stored[2] = "zzzzzz";
    StoreSlots(stored);
    OpenThrough(form->BtnSaveBackG, [&](TColorPallet& dialog) {
        EXPECT_EQ(dialog.Panels[0].Color(), RGB(0xAB, 0x12, 0xCD));
        EXPECT_EQ(dialog.Panels[1].Color(), RGB(0x12, 0xAB, 0x00));
        EXPECT_EQ(dialog.Panels[2].Color(), RGB(0, 0, 0));
        Press(dialog.BtnOk);
    });
    std::vector<std::string> written = AllWhite();
    written[0] = "AB12CD", written[1] = "12AB00", written[2] = "000000";
    EXPECT_EQ(SectionEntries(Settings(), "Pallet"), SlotEntries(written));
}

TEST_F(ColorPalletTest, OtherSectionsOfTheFileAreKept) {
    testsupport::WriteFile(testsupport::SettingsPath(), "[Color]\r\nFR=ff\r\n");
    OpenThrough(form->BtnSaveFont, [&](TColorPallet& dialog) { Press(dialog.BtnOk); });
    EXPECT_EQ(SectionEntries(Settings(), "Color"), (Entries{{"FR", "ff"}}));
    EXPECT_EQ(SectionEntries(Settings(), "Pallet"), SlotEntries(AllWhite()));
}

// The file held open without sharing by another handle cannot be written (file modes do not stop root).
TEST_F(ColorPalletTest, AWriteErrorIsShownWhileOpenAndOkStillClosesAndDelivers) {
    std::vector<std::string> stored = AllWhite();
    stored[2] = "123456";
    StoreSlots(stored);
    const std::string before = Settings();

    std::vector<testsupport::ShownMessage> shown;
    bool dialogOpenAtMessage = false;
    ui::Application::Get().SetMessageBoxHandler([&](const std::string& text, const std::string& caption, UINT flags) {
        shown.push_back({text, caption, flags});
        dialogOpenAtMessage = ColorPallet != nullptr && ColorPallet->Visible();
        return IDOK;
    });

    for (ui::Button* button : {&form->BtnLoadFont, &form->BtnSaveBackG}) {
        shown.clear();
        ui::UniqueFile lock;
        OpenThrough(*button, [&](TColorPallet& dialog) {
            lock.reset(::CreateFileA(testsupport::SettingsPath().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                     FILE_ATTRIBUTE_NORMAL, nullptr));
            ASSERT_TRUE(lock) << "could not hold the settings file";
            ClickSlot(dialog, 3);
            Press(dialog.BtnOk);
            EXPECT_EQ(dialog.ModalResult(), ui::mrOk);
        });
        lock.reset();

        ASSERT_EQ(shown.size(), 1u);
        EXPECT_EQ(shown[0].text, testsupport::SettingsPath() + " に書き込めません.");
        EXPECT_EQ(shown[0].caption, "Velmira");
        EXPECT_EQ(shown[0].flags & MB_ICONMASK, static_cast<UINT>(MB_ICONERROR));
        EXPECT_TRUE(dialogOpenAtMessage);
        EXPECT_EQ(Settings(), before);
    }
    EXPECT_EQ(HexFR(*form) + HexFG(*form) + HexFB(*form), "123456") << "load mode delivers the colour all the same";
}

// The window menu's palette files carry the slots of the settings file the main window names out to a file and
// back into it; a file that cannot be read says so and leaves the slots alone, rather than reading as empty.
TEST_F(ColorPalletTest, PaletteFilesCarryTheSlotsOutAndBackIntoTheSettingsFile) {
    std::vector<std::string> stored = AllWhite();
    stored[0] = "123456";
    stored[19] = "ABCDEF";
    StoreSlots(stored);
    const std::string path = testsupport::ProgramFolder() + "slots.gpl";
    form->Palettes().ExportFile(velmira::WideText(path), velmira::PaletteFormat::Gpl);

    StoreSlots(AllWhite());
    testsupport::MessageBoxRecorder recorder;
    form->Palettes().ImportFile(velmira::WideText(path));
    ::DeleteFileA(path.c_str());
    EXPECT_EQ(SectionEntries(Settings(), "Pallet"), SlotEntries(stored));
    ASSERT_EQ(recorder.messages.size(), 1u) << "the import says what it read";
    form->Palettes().ImportFile(velmira::WideText(path));
    ASSERT_EQ(recorder.messages.size(), 2u);
    EXPECT_EQ(recorder.messages[1].text, path + " を読み込めません。");
    EXPECT_EQ(SectionEntries(Settings(), "Pallet"), SlotEntries(stored));
}

// The palette's contrast table from the window menu: every ordered pair of the palette's distinct colours,
// highest ratio first, as text a screen reader reads; Ctrl+C copies it tab-separated, the CSV file is UTF-8 with
// a header line, it follows the palette dialog's OK, and Esc closes it.
TEST_F(ColorPalletTest, ContrastTableListsThePalettesPairsAndFollowsIt) {
    std::vector<std::string> slots = AllWhite();
    slots[0] = "000000";
    slots[1] = "767676";
    StoreSlots(slots);
    {
        // Its access key M is also the system's Move, which the menu would choose first: the item is looked for
        // while the menu is up, and the menu left with the details' D.
        testsupport::MenuChooser chooser("D");
        ::SendMessageA(form->Handle(), WM_SYSCOMMAND, SC_KEYMENU, ' ');
        ASSERT_TRUE(chooser.pressed) << "the window menu never waited for a key";
        EXPECT_TRUE(std::any_of(chooser.items.begin(), chooser.items.end(), [](const testsupport::MenuChooser::Item& i) {
            return i.text == "パレットのコントラスト表(&M)...";
        }));
    }
    ASSERT_TRUE(testsupport::PumpUntil([&] { return form->ContrastDetails() && form->ContrastDetails()->Visible(); }));
    form->ShowContrastTable();
    ASSERT_TRUE(testsupport::PumpUntil([&] { return form->ContrastTable() && form->ContrastTable()->Visible(); }));
    TContrastTableForm& table = *form->ContrastTable();
    EXPECT_EQ(table.ui::Window::Text(), "パレットのコントラスト表");
    EXPECT_EQ(::GetWindow(table.Handle(), GW_OWNER), form->Handle());
    EXPECT_EQ(::GetFocus(), table.Text.Handle());
    const std::string text =
        "文字\t背景\tコントラスト比\tAA 通常\tAA 大\tAAA 通常\tAAA 大\tAPCA Lc\r\n"
        "000000\tFFFFFF\t21.00\t○\t○\t○\t○\t106.0\r\n"
        "FFFFFF\t000000\t21.00\t○\t○\t○\t○\t-107.9\r\n"
        "000000\t767676\t4.62\t○\t○\t×\t○\t32.5\r\n"
        "767676\t000000\t4.62\t○\t○\t×\t○\t-30.1\r\n"
        "767676\tFFFFFF\t4.54\t○\t○\t×\t○\t71.6\r\n"
        "FFFFFF\t767676\t4.54\t○\t○\t×\t○\t-77.0\r\n";
    EXPECT_EQ(table.Text.Text(), text);

    ::SetForegroundWindow(table.Handle());
    ASSERT_TRUE(testsupport::PumpUntil([&] { return ::GetActiveWindow() == table.Handle(); }));
    testsupport::SendKey('C', {VK_CONTROL});
    EXPECT_TRUE(testsupport::PumpUntil([&] { return testsupport::ClipboardText() == text; }));

    const std::string csv = testsupport::ProgramFolder() + "contrast-table.csv";
    table.SaveCsvFile(csv);
    const std::string written = testsupport::ReadFile(csv);
    ::DeleteFileA(csv.c_str());
    EXPECT_EQ(written.substr(0, written.find("\r\n", written.find("\r\n") + 2) + 2),
              u8"文字,背景,コントラスト比,AA 通常,AA 大,AAA 通常,AAA 大,APCA Lc\r\n"
              "000000,FFFFFF,21.00,yes,yes,yes,yes,106.0\r\n");
    EXPECT_EQ(std::count(written.begin(), written.end(), '\n'), 7);

    // The text colour 112233 stored in slot 3 with the dialog's OK: three more colours' worth of pairs.
    OpenThrough(form->BtnSaveFont, [&](TColorPallet& dialog) {
        ClickSlot(dialog, 3);
        Press(dialog.BtnOk);
    });
    EXPECT_EQ(table.Rows().size(), 12u);
    EXPECT_NE(table.Text.Text().find("112233\tFFFFFF\t"), std::string::npos);

    ::SetForegroundWindow(table.Handle());
    ASSERT_TRUE(testsupport::PumpUntil([&] { return ::GetActiveWindow() == table.Handle(); }));
    testsupport::SendKey(VK_ESCAPE);
    EXPECT_TRUE(testsupport::PumpUntil([&] { return !table.Visible(); })) << "Esc did not close the table";
}

// With a pick key set, the key starts no pick while the dialog is up (a pick inside its modal loop would leave Enter
// and Esc to the dialog); once it is closed the key works again.
class PickKeyWithTheDialogUp : public ColorPalletTest {
protected:
    PickKeyWithTheDialogUp() { settings = "[Option]\r\nPickKey=Ctrl+Alt+F11\r\n"; }
    testsupport::MessageBoxRecorder refusals;  // a key the system refuses is said in a message box
};

TEST_F(PickKeyWithTheDialogUp, TheKeyStartsNoPickInsideTheDialog) {
    ASSERT_TRUE(refusals.messages.empty()) << refusals.messages[0].text;
    constexpr WPARAM kPickKeyId = 1;
    OpenThrough(form->BtnLoadFont, [&](TColorPallet& dialog) {
        ::SendMessageA(form->Handle(), WM_HOTKEY, kPickKeyId, 0);
        testsupport::PumpPending();
        EXPECT_EQ(form->Pick().Scope(), nullptr) << "a pick started inside the dialog";
        Press(dialog.BtnCancel);
    });
    ::SendMessageA(form->Handle(), WM_HOTKEY, kPickKeyId, 0);
    ASSERT_TRUE(form->Pick().RunsWithoutButton()) << "the key started no pick with the dialog closed";
    testsupport::SendKey(VK_ESCAPE);
    EXPECT_TRUE(testsupport::PumpUntil([&] { return form->Pick().Scope() == nullptr; }));
}

}  // namespace
