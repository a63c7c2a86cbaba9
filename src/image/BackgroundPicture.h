#pragma once
// The preview's background picture: whether one is in use, its path, the open-file dialog that chooses it, the
// image plug-ins and their folder, decoding and tiling. Bound to the picture's own controls, whose events it
// wires to its rules; of the window they sit in it knows only that its dialogs are owned by it.
#include <windows.h>
#include <shellapi.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "picture/DecodedPicture.h"
#include "image/SpiLoadClass.h"
#include "ui/Button.h"
#include "ui/CheckBox.h"
#include "ui/Edit.h"
#include "ui/Image.h"
#include "ui/OpenDialog.h"
#include "ui/Timer.h"

namespace velmira {

class BackgroundPicture {
public:
    struct Controls {
        ui::CheckBox& useImage;
        ui::Edit& path;
        ui::Button& browse;
        ui::Button& pluginFolder;
        ui::Image& preview;
        // The background colour's editors, which a picture in use takes the place of.
        std::vector<ui::Window*> colourEditors;
    };

    // `showColours` is the owner's refresh, raised when the picture is switched off; `host` names the plug-in
    // helper and its time limit.
    BackgroundPicture(Controls controls, std::function<void()> showColours, velmira::SpiHostOptions host = {});
    BackgroundPicture(const BackgroundPicture&) = delete;
    BackgroundPicture& operator=(const BackgroundPicture&) = delete;

    bool UseImage() const noexcept { return useImage_; }
    // Whether the preview shows a picture rather than the background colour: one is in use and has been drawn
    // since the colour was last painted.
    bool PictureShown() const noexcept { return useImage_ && drawn_; }
    // Paints the background colour over the preview unless it shows a picture; true when it did. Until a picture
    // has been drawn the preview shows the colour, also while a picture is switched on.
    bool ShowColour(COLORREF colour);
    const std::string& ImagePath() const noexcept { return imagePath_; }
    const std::string& SpiPath() const noexcept { return spiPath_; }
    void SetSpiPath(std::string folder) { spiPath_ = std::move(folder); }
    ui::OpenDialog& OpenDialog() noexcept { return openDialog_; }
    const ui::OpenDialog& OpenDialog() const noexcept { return openDialog_; }
    SpiLoadClass& SpiLoader() noexcept { return spiLoader_; }

    // The path the settings kept: shown in the path edit when there is one, loaded when the picture is switched on.
    void RestoreImagePath(std::string path);

    // The check box was clicked (or set): its controls follow, and a picture switched on is read again.
    void CheckBackImageClick();
    // Enter in the path edit loads the typed path; the key is swallowed.
    void EditBackImageKeyPress(char& key);
    // Every file dropped from the shell is loaded in turn; the drop is finished on every exit.
    void WMDropFiles(HDROP drop);

    // Reads the picture at the path and tiles it over the preview; a missing file or an unsupported format is
    // said in a message box and leaves everything as it was.
    void LoadPictureFile(const std::string& path);
    int CheckFormat(const std::string& path);
    bool FindFile(const std::string& path, bool showMessage);
    // Reloads the plug-ins of the plug-in folder and offers their types in the open-file dialog. Plug-ins the
    // cache does not know join the dialog's types as their descriptions end, while the window goes on.
    void SetSPI();

    // The preview took another size (its window's DPI changed) and has no picture yet: the picture it showed is
    // tiled over it again, one picture pixel to a screen pixel. False when it showed none.
    bool PreviewResized();

private:
    void ConnectControls();
    // The top-level window the controls sit in, which owns the dialogs.
    HWND DialogOwner() const;
    // The open-file dialog; a confirmed file is loaded.
    void BtnRefClick();
    // The shell's folder browser; a confirmed folder becomes the plug-in folder.
    void BtnSPIClick();
    void LoadReportingErrors(const std::string& path);
    // Names the plug-ins that failed since they were last named, offers the listed ones' types, and, once all
    // are described after a folder was chosen, says when it holds none.
    void ShowPlugins();
    void TakeDescribedPlugins();
    std::optional<DecodedPicture> Decode(int maxWidth, int maxHeight);

    Controls controls_;
    std::function<void()> showColours_;
    ui::OpenDialog openDialog_;
    bool useImage_ = false;
    std::string imagePath_;
    DecodedPicture shown_;  // what the preview shows of the picture at ImagePath
    bool drawn_ = false;             // the picture is on the preview, not painted over with the colour
    // Released in reverse order: the plug-in folder, the plug-ins, then the picture's path.
    SpiLoadClass spiLoader_;
    std::string spiPath_;
    // Looks for the descriptions that have ended while some are under way; stopped before the loader goes.
    ui::Timer describing_;
    std::size_t failuresShown_ = 0;
    bool sayIfNoPlugins_ = false;  // a folder the user chose waits for its descriptions
};

}  // namespace velmira
