#pragma once
// A group box: our own window, so that the controls inside it are its children and report to it.
#include <windows.h>

#include <string>
#include <string_view>

#include "ui/Container.h"
#include "ui/Control.h"
#include "ui/FontSpec.h"

namespace ui {

class GroupBox : public Container {
public:
    void Create(const Place& place, std::string_view caption, const FontSpec& font);

protected:
    void PaintBackground(HDC dc, const RECT& client) override;
    HFONT CaptionFont() const;

private:
    std::string caption_;
    FontSpec font_;
};

}  // namespace ui
