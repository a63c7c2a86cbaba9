#include "support/MainWindowTest.h"

#include "support/WindowTestSupport.h"

namespace testsupport {

void MainWindowTest::SetUp() {
    RemoveSettings();
    if (!settings.empty()) WriteFile(SettingsPath(), settings);
    form = std::make_unique<TMainForm>();
    form->Show();
    PumpPending();
}

void MainWindowTest::TearDown() {
    form.reset();
    RemoveSettings();
}

}  // namespace testsupport
