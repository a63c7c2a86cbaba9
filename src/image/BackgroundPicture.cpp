#include "image/BackgroundPicture.h"

#include <algorithm>
#include <exception>
#include <optional>
#include <utility>

#include "picture/BmpDecoder.h"
#include "picture/DecodedPicture.h"
#include "picture/FileByteSource.h"
#include "image/FolderDlgClass.h"
#include "image/ImageFormat.h"
#include "image/JpegDecoder.h"
#include "image/SpiFilter.h"
#include "image/Tiling.h"
#include "text/SystemText.h"
#include "ui/Application.h"
#include "ui/UniqueHandle.h"

namespace velmira {

namespace {

constexpr char kMissingSuffix[] = "がありません。";
constexpr char kUnsupportedMessage[] = "未対応の画像フォーマットです。";
constexpr char kPluginFolderPrompt[] = "Plug-in のあるパスを指定して下さい。";
// After the folder's path, as with "がありません。".
constexpr char kNoPluginSuffix[] = "にはPlug-inがありません。";
// How often the window looks for plug-in descriptions that have ended.
constexpr UINT kDescribedCheckMs = 100;

// Copies the picture from the preview's top-left corner to the right and downwards, never scaled; the tiles at
// the right and bottom edges are cut. A picture without width or height draws nothing.
void DrawTiled(const DecodedPicture& picture, ui::Canvas& preview) {
    ::GdiFlush();
    for (const TileRect& tile :
         TileRects(picture.width, picture.height, preview.Width(), preview.Height())) {
        const int columns = std::min(tile.Width(), picture.visibleWidth);
        const int rows = std::min(tile.Height(), picture.visibleHeight);
        for (int y = 0; y < rows; ++y) {
            const std::uint32_t* source = &picture.pixels[static_cast<std::size_t>(y) * picture.visibleWidth];
            std::copy_n(source, columns, preview.Row(tile.top + y) + tile.left);
        }
    }
}

}  // namespace

BackgroundPicture::BackgroundPicture(Controls controls, std::function<void()> showColours,
                                     velmira::SpiHostOptions host)
    : controls_(std::move(controls)), showColours_(std::move(showColours)), spiLoader_(std::move(host)) {
    ConnectControls();
}

void BackgroundPicture::ConnectControls() {
    controls_.useImage.OnClick = [this] { CheckBackImageClick(); };
    controls_.path.OnKeyPress = [this](char& key) { EditBackImageKeyPress(key); };
    controls_.browse.OnClick = [this] { BtnRefClick(); };
    controls_.pluginFolder.OnClick = [this] { BtnSPIClick(); };
}

HWND BackgroundPicture::DialogOwner() const {
    return ::GetAncestor(controls_.browse.Handle(), GA_ROOT);
}

// A load started by the user reports a decoder's error through the standard error display and ends there;
// the caller goes on (the next dropped file, the rest of the start-up).
void BackgroundPicture::LoadReportingErrors(const std::string& path) {
    try {
        LoadPictureFile(path);
    } catch (const SpiLoadGivenUp&) {
        // the user's own doing: nothing to say
    } catch (const std::exception& e) {
        ui::Application::Get().ShowException(e);
    }
}

void BackgroundPicture::RestoreImagePath(std::string path) {
    imagePath_ = std::move(path);
    if (!imagePath_.empty()) controls_.path.SetText(imagePath_);
}

void BackgroundPicture::CheckBackImageClick() {
    useImage_ = controls_.useImage.Checked();
    controls_.path.SetEnabled(useImage_);
    controls_.browse.SetEnabled(useImage_);
    controls_.path.SetSystemColor(useImage_ ? COLOR_WINDOW : COLOR_MENU);
    for (ui::Window* control : controls_.colourEditors) control->SetEnabled(!useImage_);
    // Each switch on reads the file again, so a picture changed or deleted meanwhile shows as it is. Whatever it
    // loaded, the window follows the switch itself too (the contrast tip, the pick of the background colour).
    if (useImage_ && !imagePath_.empty()) LoadReportingErrors(std::string(imagePath_));
    showColours_();
}

void BackgroundPicture::EditBackImageKeyPress(char& key) {
    if (key != '\r') return;
    LoadReportingErrors(controls_.path.Text());
    key = 0;  // a single-line edit would beep at Enter
}

void BackgroundPicture::BtnRefClick() {
    if (!openDialog_.Execute(DialogOwner())) return;
    if (!openDialog_.FileName.empty()) LoadReportingErrors(openDialog_.FileName);
}

void BackgroundPicture::BtnSPIClick() {
    const std::string current = spiPath_;
    // Lives for this one click; released on every exit, cancelled or not.
    FolderDlgClass dialog;
    dialog.Owner = DialogOwner();
    dialog.Title = kPluginFolderPrompt;
    dialog.InitialDir = current;
    if (!dialog.Execute()) return;
    spiPath_ = dialog.SelectedDir;
    SetSPI();
    sayIfNoPlugins_ = true;
    ShowPlugins();
}

void BackgroundPicture::SetSPI() {
    describing_.Stop();
    sayIfNoPlugins_ = false;
    failuresShown_ = 0;
    spiLoader_.BeginLoadPlugins(spiPath_);
    ShowPlugins();
    if (!spiLoader_.Describing()) return;
    const HWND owner = DialogOwner();
    if (owner) {
        describing_.Start(owner, kDescribedCheckMs, [this] { TakeDescribedPlugins(); });
    } else {
        spiLoader_.FinishDescribing();
        ShowPlugins();
    }
}

void BackgroundPicture::TakeDescribedPlugins() {
    const bool changed = spiLoader_.TakeDescribed();
    if (!spiLoader_.Describing()) describing_.Stop();
    if (changed || !spiLoader_.Describing()) ShowPlugins();
}

void BackgroundPicture::ShowPlugins() {
    // Each plug-in that could not be loaded is named once, as a crash while decoding is; the others work.
    const std::vector<std::string>& failures = spiLoader_.GetFailures();
    while (failuresShown_ < failures.size())
        ui::Application::Get().ShowException(SpiHostFailure(failures[failuresShown_++]));
    const int count = spiLoader_.GetCount();
    std::vector<ST_SpiInfo> plugins(static_cast<std::size_t>(count));
    spiLoader_.GetSpiInfo(count, plugins);
    // Only the entries change; the entry the user chose last stays selected by its number.
    openDialog_.Filter = BuildOpenFilter(plugins);
    // The folder is kept even without plug-ins (the user may be about to put some there); the bundled plug-in's
    // formats stay either way.
    if (sayIfNoPlugins_ && !spiLoader_.Describing()) {
        sayIfNoPlugins_ = false;
        if (spiLoader_.GetFolderCount() == 0)
            ui::Application::Get().ShowMessage(spiPath_ + kNoPluginSuffix, MB_OK | MB_ICONWARNING);
    }
}

void BackgroundPicture::WMDropFiles(HDROP drop) {
    struct DropFinisher {
        HDROP drop;
        ~DropFinisher() { ::DragFinish(drop); }
    } finisher{drop};

    const UINT count = ::DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < count; ++i) {
        // Asked for its length first, so that a path longer than MAX_PATH arrives whole rather than cut
        // into the name of some other file; the existence test then decides about it.
        const UINT length = ::DragQueryFileA(drop, i, nullptr, 0);
        std::string path(length + 1, '\0');
        path.resize(::DragQueryFileA(drop, i, path.data(), length + 1));
        LoadReportingErrors(path);
    }
}

int BackgroundPicture::CheckFormat(const std::string& path) {
    std::string extension(ExtensionOf(path, &IsLeadByte));
    if (!extension.empty()) ::CharLowerBuffA(extension.data(), static_cast<DWORD>(extension.size()));
    return FormatOfLowerCaseExtension(extension);
}

bool BackgroundPicture::FindFile(const std::string& path, bool showMessage) {
    // A path that does not fit the 260-byte buffer, terminating zero included, is refused as missing: the
    // ANSI file functions cannot reach it anyway, and cutting it could find some other file.
    char buffer[MAX_PATH] = {};
    bool found = false;
    if (path.size() < sizeof buffer && path.find('\0') == std::string::npos) {
        std::copy(path.begin(), path.end(), buffer);
        WIN32_FIND_DATAA match{};
        ui::UniqueFind search(::FindFirstFileA(buffer, &match));
        // The search also returns folders and hidden or system files; only an ordinary file counts.
        constexpr DWORD kNotOrdinary = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
        for (bool more = static_cast<bool>(search); more && !found; more = ::FindNextFileA(search.get(), &match))
            found = (match.dwFileAttributes & kNotOrdinary) == 0;
    }
    if (!found && showMessage) ui::Application::Get().ShowMessage(path + kMissingSuffix, MB_OK);
    return found;
}

void BackgroundPicture::LoadPictureFile(const std::string& path) {
    if (!FindFile(path, true)) return;
    imagePath_ = path;

    ui::Canvas& preview = controls_.preview.Picture();
    std::optional<DecodedPicture> picture = Decode(preview.Width(), preview.Height());
    if (!picture) {
        ui::Application::Get().ShowMessage(kUnsupportedMessage, MB_OK);
        return;
    }
    DrawTiled(*picture, preview);
    shown_ = std::move(*picture);
    drawn_ = true;
    controls_.preview.Invalidate();
    controls_.path.SetText(imagePath_);
}

// The picture at ImagePath, as much of it as a preview of maxWidth x maxHeight shows; none when no plug-in
// reads it.
std::optional<DecodedPicture> BackgroundPicture::Decode(int maxWidth, int maxHeight) {
    switch (CheckFormat(imagePath_)) {
    case kFormatBmp: {
        FileByteSource file(imagePath_);
        return DecodeBmp(file, maxWidth, maxHeight);
    }
    case kFormatJpeg: {
        FileByteSource file(imagePath_);
        return DecodeJpeg(file, maxWidth, maxHeight);
    }
    default:
        if (!spiLoader_.LoadPicture(imagePath_, maxWidth, maxHeight)) return std::nullopt;
        return spiLoader_.GetPicture();
    }
}

bool BackgroundPicture::ShowColour(COLORREF colour) {
    if (PictureShown()) return false;
    controls_.preview.Picture().Fill(colour);
    controls_.preview.Invalidate();
    drawn_ = false;
    return true;
}

// The same picture over the new area. One that was read whole is tiled again from memory; of a larger one the
// new area may show more than was read, so it is read again, and if that fails (the file went away) the
// part that was read is tiled, with nothing said: the user did not ask for the picture.
bool BackgroundPicture::PreviewResized() {
    if (!PictureShown() || shown_.width <= 0 || shown_.height <= 0) return false;
    ui::Canvas& preview = controls_.preview.Picture();
    if (shown_.visibleWidth < shown_.width || shown_.visibleHeight < shown_.height) {
        try {
            if (FindFile(imagePath_, false)) {
                if (std::optional<DecodedPicture> again = Decode(preview.Width(), preview.Height()))
                    shown_ = std::move(*again);
            }
        } catch (const std::exception&) {
            // the part already read stands in for it
        }
    }
    DrawTiled(shown_, preview);
    controls_.preview.Invalidate();
    return true;
}

}  // namespace velmira
