#include "settings/ProgramFiles.h"

namespace velmira {

ui::IniFile SettingsFileIn(const std::string& appDir) {
    return ui::IniFile(appDir + kSettingsFileName);
}

std::string PluginCacheFileIn(const std::string& appDir) {
    return appDir + "velmira_spi.cache";
}

}  // namespace velmira
