#pragma once
// A window that holds other controls. It reflects its children's notifications (WM_COMMAND, WM_HSCROLL,
// WM_CTLCOLOR*) back to the child's object, paints its non-windowed children (labels and images, drawn in
// creation order over its background) and starts automatic drags.
#include <windows.h>

#include <vector>

#include "ui/DragEvents.h"
#include "ui/GraphicControl.h"
#include "ui/UniqueHandle.h"
#include "ui/Window.h"

namespace ui {

class Container : public Window {
public:
    ~Container() override;

    void SetColor(COLORREF color);
    COLORREF Color() const noexcept { return color_; }

    DragEvents Drag;  // the container itself may be a drag source (a panel in automatic drag mode)

protected:
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
    // Itself, its own child windows and the controls it paints.
    void ApplyDpi(UINT dpi) override;

    // Draws what lies under the non-windowed children: background and frame.
    virtual void PaintBackground(HDC dc, const RECT& client);
    // Draws what lies over them (a focus rectangle).
    virtual void PaintForeground(HDC /*dc*/, const RECT& /*client*/) {}

    HBRUSH BackgroundBrush();

private:
    friend class GraphicControl;
    void AddGraphic(GraphicControl* control);
    void RemoveGraphic(GraphicControl* control);
    void Paint(HDC dc);
    GraphicControl* GraphicAt(POINT clientPoint) const;
    bool ReflectToChild(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);
    void OnLeftButtonDown(POINT clientPoint);

    std::vector<GraphicControl*> graphics_;
    COLORREF color_ = ::GetSysColor(COLOR_BTNFACE);
    bool systemFaceColor_ = true;
    UniqueBrush brush_;  // recreated when the colour changes
};

}  // namespace ui
