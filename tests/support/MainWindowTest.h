#pragma once
// The fixture of the tests that drive the real main window: a first start (no settings file), the window shown
// and its queue dispatched; afterwards the window goes and so does the settings file it wrote.
#include <gtest/gtest.h>

#include <memory>

#include "app/MainForm.h"

namespace testsupport {

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    std::unique_ptr<TMainForm> form;
};

}  // namespace testsupport
