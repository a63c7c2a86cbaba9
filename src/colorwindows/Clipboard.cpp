#include "colorwindows/Clipboard.h"

#include "ui/Clipboard.h"

namespace velmira {

void CopyToClpBrd(const std::string& text) {
    ui::Clipboard clipboard;
    clipboard.SetText("");
    clipboard.SetText(text);
}

}  // namespace velmira
