#pragma once
// The copy buttons' way onto the clipboard.
#include <string>

namespace velmira {

// The clipboard is emptied with an empty text first and only then given `text`, so that programs watching the
// clipboard see two changes, the second leaving the colour's text.
void CopyToClpBrd(const std::string& text);

}  // namespace velmira
