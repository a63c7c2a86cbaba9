// The main window's own items in its window menu (Alt+Space): the history of colour pairs, the palette
// written to and read from the files of other programs, and the palette's contrast table.
#include "app/MainForm.h"

#include "palettewindows/PaletteSlots.h"
#include "settings/ProgramFiles.h"
#include "text/ChannelText.h"

namespace {

// A pair as a small picture for its menu item: the background colour with a bar of the text colour across it,
// framed in grey so that a white or black pair stands out from the menu.
void DrawPairSwatch(HDC dc, const RECT& area, velmira::ColourPair pair) {
    const ui::UniqueBrush frame(::CreateSolidBrush(RGB(128, 128, 128)));
    const ui::UniqueBrush back(::CreateSolidBrush(velmira::Packed(pair.background)));
    const ui::UniqueBrush text(::CreateSolidBrush(velmira::Packed(pair.text)));
    RECT r = area;
    ::FillRect(dc, &r, frame.get());
    ::InflateRect(&r, -1, -1);
    ::FillRect(dc, &r, back.get());
    const LONG width = area.right - area.left, height = area.bottom - area.top;
    const RECT bar{area.left + width / 4, area.top + height / 3, area.right - width / 4, area.bottom - height / 3};
    ::FillRect(dc, &bar, text.get());
}

}  // namespace

void TMainForm::AddColourItemsToWindowMenu() {
    ui::WindowMenu& menu = Menu();
    menu.AddSeparator();
    menu.AddSubmenu("履歴(&H)", [this] { return HistoryEntries(); });
    menu.AddItem("パレットを読み込む(&I)...", [this] {
        palettes_.Import(Handle());
        PaletteChanged();
    });
    menu.AddItem("パレットを書き出す(&E)...", [this] { palettes_.Export(Handle()); });
    menu.AddItem("パレットのコントラスト表(&M)...", [this] { ShowContrastTable(); });
}

void TMainForm::ShowContrastTable() {
    if (!table_) table_ = std::make_unique<TContrastTableForm>(Handle(), [this] { return PaletteColours(); }, tablePlace_);
    table_->ShowTable();
}

// The palette as the settings file holds it, slot 1 first.
std::vector<velmira::Rgb> TMainForm::PaletteColours() {
    std::vector<velmira::Rgb> colours;
    for (const std::uint32_t slot : velmira::ReadPaletteSlots(velmira::SettingsFileIn(appDir_)))
        colours.push_back(velmira::Rgb{static_cast<std::uint8_t>(slot), static_cast<std::uint8_t>(slot >> 8),
                                       static_cast<std::uint8_t>(slot >> 16)});
    return colours;
}

void TMainForm::PaletteChanged() {
    if (table_) table_->PaletteChanged();
}

std::vector<ui::WindowMenuEntry> TMainForm::HistoryEntries() {
    std::vector<ui::WindowMenuEntry> entries;
    const std::vector<velmira::ColourPair>& pairs = history_.Pairs();
    if (pairs.empty()) {
        entries.push_back({"(履歴はありません)", nullptr, false, nullptr, SIZE{}});
        return entries;
    }
    for (std::size_t i = 0; i < pairs.size(); ++i) {
        const velmira::ColourPair pair = pairs[i];
        entries.push_back({velmira::PairMenuText(i, pair), [this, pair] { ChoosePair(pair); }, true,
                           [pair](HDC dc, const RECT& area) { DrawPairSwatch(dc, area, pair); },
                           SIZE{Scale(24), Scale(14)}});
    }
    return entries;
}

// Both colours change as typed ones do, with one refresh; while a picture is the background its colour cannot
// be edited, and only the text colour is taken.
void TMainForm::ChoosePair(velmira::ColourPair pair) {
    auto channels = [](velmira::Rgb c) {
        return std::array<std::string, 3>{velmira::HexAtLeastTwoDigits(c.red), velmira::HexAtLeastTwoDigits(c.green),
                                          velmira::HexAtLeastTwoDigits(c.blue)};
    };
    const std::array<std::string, 3> text = channels(pair.text), back = channels(pair.background);
    if (background_.UseImage()) {
        fontColor_.SetChannels(text[0], text[1], text[2]);
        return;
    }
    fontColor_.Assign(text[0], text[1], text[2]);
    backGColor_.SetChannels(back[0], back[1], back[2]);
}
