#pragma once
// The fixture of the tests that drive the real main window: a first start (no settings file, or one that holds
// `settings`), the window shown and its queue dispatched; afterwards the window goes and so does the settings
// file it wrote.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "app/MainForm.h"
#include "image/SpiHostProcess.h"

namespace testsupport {

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    std::string settings;  // the settings file's text before the start; none when empty
    ui::ModalShown modalShown;  // runs when a modal dialog of the window is shown
    DWORD answerTimeoutMs = velmira::kSpiHostAnswerTimeoutMs;  // of each call into a plug-in
    std::unique_ptr<TMainForm> form;
};

}  // namespace testsupport
