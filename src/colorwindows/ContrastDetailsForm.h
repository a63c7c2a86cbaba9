#pragma once
// The contrast details: a window beside the main window with everything the preview's tooltip shows, as text in
// a read-only edit that can be selected, copied and read by a screen reader, and the colour-vision samples drawn
// beside it. It follows every change of the colours while it is open, closes with Esc, and can be moved and
// sized; its place is the owner's to keep.
#include <windows.h>

#include <vector>

#include "color/ContrastSource.h"
#include "color/ContrastTipContent.h"
#include "ui/Edit.h"
#include "ui/Form.h"
#include "ui/SideWindow.h"

class TContrastDetailsForm : public ui::SideForm {
public:
    // Built hidden, owned by `owner`, at `place` as far as the nearest monitor's work area allows; `source` must
    // outlive it.
    TContrastDetailsForm(HWND owner, velmira::ContrastSource& source, const Place& place);

    // Shows the window with the content as it stands, and gives its text the keyboard.
    void ShowDetails();
    // The colours or the picture changed: an open window shows the new content; a hidden one does nothing.
    void ColoursChanged();

    ui::Edit Text;
    const velmira::ContrastTipContent& Content() const noexcept { return content_; }
    // Where each colour-vision sample is drawn, in client coordinates, in the order of the content's visions.
    std::vector<RECT> SampleRects() const;

protected:
    void PaintBackground(HDC dc, const RECT& client) override;

private:
    void Refresh();
    void LayOut() override;
    int SampleColumnLeft() const;

    velmira::ContrastSource& source_;
    velmira::ContrastTipContent content_;
};
