#include "support/MainWindowTest.h"

#include "support/WindowTestSupport.h"

namespace testsupport {

void MainWindowTest::SetUp() {
    RemoveSettings();
    if (!settings.empty()) WriteFile(SettingsPath(), settings);
    const auto shown = [this](ui::Form& dialog) {
        if (modalShown) modalShown(dialog);
    };
    form = NewMainForm(shown, answerTimeoutMs);
    form->Show();
    PumpPending();
}

void MainWindowTest::TearDown() {
    form.reset();
    RemoveSettings();
}

}  // namespace testsupport
