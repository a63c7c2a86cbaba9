#pragma once
// The main window: two colours edited side by side over a preview, always on top.
#include <windows.h>

#include <cstdint>
#include <string>

#include "image/SpiLoadClass.h"
#include "ui/Controls.h"
#include "ui/Form.h"
#include "ui/IdleTask.h"
#include "ui/OpenDialog.h"

class ContrastTip;

class TMainForm : public ui::Form {
public:
    TMainForm();
    ~TMainForm() override;

    // ---- Controls, in the order of the layout ------------------------------------------------------------------
    ui::Panel PanelBackG;
    ui::Image ImageBackG;
    ui::Label LabelText;
    ui::GroupBox GroupBackImage;
    ui::CheckBox CheckBackImage;
    ui::Edit EditBackImage;
    ui::Button BtnRef;
    ui::Button BtnSPI;
    ui::RadioGroup RadioHexDim;

    ui::GroupBox GroupFont;
    ui::Edit EditFont, EditFR, EditFG, EditFB;
    ui::ScrollBar BarFR, BarFG, BarFB;
    ui::Button BtnCopyFont, BtnSaveFont, BtnLoadFont;
    ui::Panel PanelScopeFont;
    ui::Image ImageScopeFont;
    ui::Label LabelFR, LabelFG, LabelFB;

    ui::GroupBox GroupBackG;
    ui::Edit EditBackG, EditBR, EditBG, EditBB;
    ui::ScrollBar BarBR, BarBG, BarBB;
    ui::Button BtnCopyBackG, BtnSaveBackG, BtnLoadBackG;
    ui::Panel PanelScopeBackG;
    ui::Image ImageScopeBackG;
    ui::Label LabelBR, LabelBG, LabelBB;

    ui::OpenDialog OpenDialog;

    // ---- The colour model: channel strings are authoritative, values derive from them ---------------------------
    std::string HexFR, HexFG, HexFB;
    std::int32_t ValFR = 0, ValFG = 0, ValFB = 0;
    std::string HexBR, HexBG, HexBB;
    std::int32_t ValBR = 0, ValBG = 0, ValBB = 0;
    bool UseImage = false;
    std::string AppDir;
    std::string ImagePath;
    // Members are released in reverse order: SpiPath, the plug-in host, ImagePath, AppDir, then the channel
    // strings from the background's blue to the text's red. The plug-in host goes between ImagePath and SpiPath.
    velmira::SpiLoadClass SpiLoader;
    std::string SpiPath;

    // ---- Colour editing ------------------------------------------------------------------------------------------
    void UpdateColor();
    // The six channel values from the channel strings (hexadecimal after "0x", 0 when unreadable, low byte).
    void ComputeChannelValues();
    void UpdateHexDim();
    void RadioHexDimClick();
    void EditFontKeyUp();
    void EditBackGKeyUp();
    void EditFRKeyUp();
    void EditFGKeyUp();
    void EditFBKeyUp();
    void EditBRKeyUp();
    void EditBGKeyUp();
    void EditBBKeyUp();
    void BarFRScroll(int scrollCode, int scrollPos);
    void BarFGScroll(int scrollCode, int scrollPos);
    void BarFBScroll(int scrollCode, int scrollPos);
    void BarBRScroll(int scrollCode, int scrollPos);
    void BarBGScroll(int scrollCode, int scrollPos);
    void BarBBScroll(int scrollCode, int scrollPos);

    // ---- Clipboard -----------------------------------------------------------------------------------------------
    void BtnCopyFontClick();
    void BtnCopyBackGClick();
    void CopyToClpBrd(const std::string& text);

    // ---- Settings file -------------------------------------------------------------------------------------------
    void LoadIniFile();
    void SaveIniFile();

    // ---- Palette -------------------------------------------------------------------------------------------------
    void BtnSaveFontClick();
    void BtnLoadFontClick();
    void BtnSaveBackGClick();
    void BtnLoadBackGClick();

    // ---- Screen pick ---------------------------------------------------------------------------------------------
    void ImageScopeStartDrag();
    void ImageScopeFontEndDrag();
    void ImageScopeBackGEndDrag();
    POINT ImageScopeEndDrag();
    void GetColor(std::string& red, std::string& green, std::string& blue, int x, int y);

    // ---- Background picture --------------------------------------------------------------------------------------
    void CheckBackImageClick();
    void EditBackImageKeyPress(char& key);
    void BtnRefClick();
    void WMDropFiles(HDROP drop);
    void LoadImageA(const std::string& path);
    int CheckFormat(const std::string& path);
    bool FindFile(const std::string& path, bool showMessage);

    // ---- Image plug-ins ------------------------------------------------------------------------------------------
    void SetSPI();
    void BtnSPIClick();

    // ---- Lifecycle -----------------------------------------------------------------------------------------------
    void FormClose();

protected:
    // Files dropped from the shell arrive as WM_DROPFILES; everything else goes to the form.
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    struct ColorGroup;
    void BuildLayout();
    void BuildColorGroup(const ColorGroup& group, int top, const char* caption);
    void ConnectEvents();
    void ChannelEditKeyUp(ui::Edit& edit, std::string& channel);
    void ChannelBarScroll(int scrollPos, std::string& channel);
    void HexEditKeyUp(ui::Edit& edit, std::string& red, std::string& green, std::string& blue);
    void CreateContrastTip();
    // Made once the window is painted and idle: nothing shown at first needs it.
    ui::IdleTask contrastTipCreation_{[this] { CreateContrastTip(); }};
    // The preview's contrast tooltip; made last and so released first, before the panel it watches.
    std::unique_ptr<ContrastTip> contrastTip_;
};

// The one main window, created at start-up.
extern TMainForm* MainForm;
