#pragma once
// The files the program keeps in its own folder, `appDir` with the trailing backslash, named here and nowhere
// else: the settings file, and beside it, as the settings are, the plug-in host's cache of what it found about
// the plug-in files. The main window hands them to the parts that read or write them.
#include <string>

#include "ui/IniFile.h"

namespace velmira {

constexpr char kSettingsFileName[] = "velmira.ini";
ui::IniFile SettingsFileIn(const std::string& appDir);
std::string PluginCacheFileIn(const std::string& appDir);

}  // namespace velmira
