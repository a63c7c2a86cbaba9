#pragma once
// The fixture of the tests that drive the real main window: a first start (no settings file, or one that holds
// `settings`), the window shown and its queue dispatched; afterwards the window goes and so does the settings
// file it wrote.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "app/MainForm.h"

namespace testsupport {

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    std::string settings;  // the settings file's text before the start; none when empty
    std::unique_ptr<TMainForm> form;
};

}  // namespace testsupport
