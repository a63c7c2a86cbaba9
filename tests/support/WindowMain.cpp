// Window tests run on one thread with the real application object, as the program does.
#include <gtest/gtest.h>

#include "image/SpiHostProcess.h"
#include "support/WindowTestSupport.h"
#include "ui/Application.h"

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    ui::Application& app = ui::Application::Get();
    app.Initialize();
    app.SetTitle("Velmira");
    // The program looks for its plug-in helper beside itself; the build makes it one folder above the tests.
    velmira::SpiHostProcess::SetProgram(testsupport::ProgramFolder() + "..\\velmira_spihost.exe");
    return RUN_ALL_TESTS();
}
