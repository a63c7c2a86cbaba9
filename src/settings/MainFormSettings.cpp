// The main window's settings: read while the window is created, written when it is closed.
#include <string>

#include "app/MainForm.h"
#include "text/SystemText.h"
#include "settings/IniFile.h"
#include "settings/SettingsText.h"

namespace {

constexpr char kOption[] = "Option";
constexpr char kColor[] = "Color";
constexpr char kBackGround[] = "BackGround";


velmira::IniFile SettingsFile(const std::string& appDir) {
    return velmira::IniFile(appDir + "velmira.ini");
}

}  // namespace

void TMainForm::LoadIniFile() {
    const velmira::IniFile ini = SettingsFile(AppDir);

    // The dialog's default folder is the program's own, without the trailing backslash a drive root keeps.
    const std::string defaultFolder = velmira::StartingFolder(AppDir, &velmira::IsLeadByte);
    OpenDialog.InitialDir = velmira::StartingFolder(ini.ReadString(kOption, "IniDir", defaultFolder), &velmira::IsLeadByte);
    SpiPath = ini.ReadString(kOption, "Spi", AppDir);

    // Channel strings are taken as they are: a malformed one gives 0 but is written back unchanged.
    HexFR = ini.ReadString(kColor, "FR", "00");
    HexFG = ini.ReadString(kColor, "FG", "00");
    HexFB = ini.ReadString(kColor, "FB", "00");
    HexBR = ini.ReadString(kColor, "BR", "FF");
    HexBG = ini.ReadString(kColor, "BG", "FF");
    HexBB = ini.ReadString(kColor, "BB", "FF");
    ComputeChannelValues();

    // Below 0 selects nothing, above 1 the last item; a change runs the radio group's click handling now.
    RadioHexDim.SetItemIndex(ini.ReadInteger(kColor, "Input", 1));

    // The check box's click handling runs now, with ImagePath still empty; the creation runs it again later.
    UseImage = ini.ReadBool(kBackGround, "UseImage", false);
    CheckBackImage.SetChecked(UseImage);

    ImagePath = ini.ReadString(kBackGround, "Path", "");
    if (!ImagePath.empty()) EditBackImage.SetText(ImagePath);
}

void TMainForm::SaveIniFile() {
    // Every key is written whether it changed or not, each on its own; the first refused write stops here.
    const velmira::IniFile ini = SettingsFile(AppDir);
    ini.WriteString(kOption, "IniDir", OpenDialog.InitialDir);
    ini.WriteString(kOption, "Spi", SpiPath);
    ini.WriteString(kColor, "FR", HexFR);
    ini.WriteString(kColor, "FG", HexFG);
    ini.WriteString(kColor, "FB", HexFB);
    ini.WriteString(kColor, "BR", HexBR);
    ini.WriteString(kColor, "BG", HexBG);
    ini.WriteString(kColor, "BB", HexBB);
    ini.WriteInteger(kColor, "Input", RadioHexDim.ItemIndex());
    ini.WriteBool(kBackGround, "UseImage", UseImage);
    ini.WriteString(kBackGround, "Path", ImagePath);
}

void TMainForm::FormClose() {
    SaveIniFile();
}
