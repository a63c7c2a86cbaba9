#pragma once
// A group box of radio buttons, one of which (or none) is selected.
#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "ui/GroupBox.h"
#include "ui/Window.h"

namespace ui {

class RadioGroup : public GroupBox {
public:
    void Create(const Place& place, std::string_view caption, const FontSpec& font,
                const std::vector<std::string>& items, int columns);
    int ItemIndex() const noexcept { return itemIndex_; }
    // -1 selects no item; a change raises OnClick.
    void SetItemIndex(int index);
    HWND ItemHandle(int index) const;
    std::function<void()> OnClick;

protected:
    void ApplyDpi(UINT dpi) override;

private:
    // Items fill the space under the caption, column by column, sized from the caption font's height.
    void LayOutItems();

    class Item : public Window {
    public:
        Item(RadioGroup& group, int index) : group_(group), index_(index) {}
        void Create(RadioGroup& group, std::string_view caption, const FontSpec& font, bool first);

    protected:
        void OnCommand(WORD code) override;
        HBRUSH OnControlColor(HDC dc) override;

    private:
        RadioGroup& group_;
        int index_;
    };

    std::vector<std::unique_ptr<Item>> items_;
    int columns_ = 1;
    int itemIndex_ = -1;
};

}  // namespace ui
