// The copy buttons: a colour's hexadecimal string onto the clipboard as plain text.
#include "app/MainForm.h"
#include "color/Clipboard.h"

void TMainForm::BtnCopyFontClick() {
    CopyToClpBrd(EditFont.Text());
}

void TMainForm::BtnCopyBackGClick() {
    CopyToClpBrd(EditBackG.Text());
}

void TMainForm::CopyToClpBrd(const std::string& text) {
    velmira::Clipboard clipboard;
    // The clipboard is emptied with an empty text first and only then given the colour: programs that watch
    // the clipboard see two changes, the second leaving the colour's text.
    clipboard.SetText("");
    clipboard.SetText(text);
}
