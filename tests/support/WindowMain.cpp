// Window tests run on one thread with the real application object, as the program does.
#include <gtest/gtest.h>

#include "ui/Application.h"

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    ui::Application& app = ui::Application::Get();
    app.Initialize();
    app.SetTitle("Velmira");
    return RUN_ALL_TESTS();
}
