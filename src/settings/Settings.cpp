#include "settings/Settings.h"

#include "settings/ProgramFiles.h"
#include "settings/SettingsText.h"
#include "text/SystemText.h"

namespace velmira {

namespace {

constexpr char kOption[] = "Option";
constexpr char kColor[] = "Color";
constexpr char kBackGround[] = "BackGround";

// The channel keys of one colour, red, green, blue, and their default.
struct ChannelKeys {
    std::array<const char*, 3> keys;
    const char* fallback;
};
constexpr ChannelKeys kFontKeys{{"FR", "FG", "FB"}, "00"};
constexpr ChannelKeys kBackGKeys{{"BR", "BG", "BB"}, "FF"};

std::array<std::string, 3> ReadChannels(const ui::IniFile& file, const ChannelKeys& channel) {
    std::array<std::string, 3> values;
    for (std::size_t i = 0; i < values.size(); ++i) values[i] = file.ReadString(kColor, channel.keys[i], channel.fallback);
    return values;
}

void WriteChannels(const ui::IniFile& file, const ChannelKeys& channel, const std::array<std::string, 3>& values) {
    for (std::size_t i = 0; i < values.size(); ++i) file.WriteString(kColor, channel.keys[i], values[i]);
}

// A window's place under the keys "<name>Left", "<name>Top", "<name>Width" and "<name>Height".
SettingsValues::Place ReadPlace(const ui::IniFile& file, const std::string& name, const SettingsValues::Place& fallback) {
    return SettingsValues::Place{file.ReadInteger(kOption, (name + "Left").c_str(), fallback.left),
                                 file.ReadInteger(kOption, (name + "Top").c_str(), fallback.top),
                                 file.ReadInteger(kOption, (name + "Width").c_str(), fallback.width),
                                 file.ReadInteger(kOption, (name + "Height").c_str(), fallback.height)};
}

void WritePlace(const ui::IniFile& file, const std::string& name, const SettingsValues::Place& place) {
    file.WriteInteger(kOption, (name + "Left").c_str(), place.left);
    file.WriteInteger(kOption, (name + "Top").c_str(), place.top);
    file.WriteInteger(kOption, (name + "Width").c_str(), place.width);
    file.WriteInteger(kOption, (name + "Height").c_str(), place.height);
}

}  // namespace

Settings::Settings(const std::string& appDir) : appDir_(appDir), file_(SettingsFileIn(appDir)) {}

SettingsValues Settings::Read() const {
    SettingsValues v;
    // The dialog's default folder is the program's own, without the trailing backslash a drive root keeps.
    const std::string defaultFolder = StartingFolder(appDir_, &IsLeadByte);
    v.iniDir = StartingFolder(file_.ReadString(kOption, "IniDir", defaultFolder), &IsLeadByte);
    v.spi = file_.ReadString(kOption, "Spi", appDir_);
    v.loupe = file_.ReadBool(kOption, "Loupe", true);
    v.pickKey = file_.ReadString(kOption, "PickKey", "");
    v.sample = file_.ReadInteger(kOption, "Sample", 1);
    v.details = ReadPlace(file_, "Details", v.details);
    v.table = ReadPlace(file_, "Table", v.table);
    v.font = ReadChannels(file_, kFontKeys);
    v.backG = ReadChannels(file_, kBackGKeys);
    v.input = file_.ReadInteger(kColor, "Input", 1);
    v.useImage = file_.ReadBool(kBackGround, "UseImage", false);
    v.path = file_.ReadString(kBackGround, "Path", "");
    return v;
}

void Settings::Write(const SettingsValues& v) const {
    file_.WriteString(kOption, "IniDir", v.iniDir);
    file_.WriteString(kOption, "Spi", v.spi);
    file_.WriteBool(kOption, "Loupe", v.loupe);
    file_.WriteString(kOption, "PickKey", v.pickKey);
    file_.WriteInteger(kOption, "Sample", v.sample);
    WritePlace(file_, "Details", v.details);
    WritePlace(file_, "Table", v.table);
    WriteChannels(file_, kFontKeys, v.font);
    WriteChannels(file_, kBackGKeys, v.backG);
    file_.WriteInteger(kColor, "Input", v.input);
    file_.WriteBool(kBackGround, "UseImage", v.useImage);
    file_.WriteString(kBackGround, "Path", v.path);
}

}  // namespace velmira
