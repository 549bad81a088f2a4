// Runs the Qt tests on a private Xvfb, under openbox unless VORLIX_X11_WM
// says "none", so that frames, moves and close boxes are real.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <QApplication>
#include <cstdio>

#include "x_server.h"

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    const char* wm = std::getenv("VORLIX_X11_WM");
    auto session = vorlix::test::XServer::start(wm == nullptr || std::string(wm) != "none");
    if (!session) {
        std::fprintf(stderr, "no X session: %s\n", session.error().message.c_str());
        return 1;
    }
    ::setenv("DISPLAY", session.value()->display().c_str(), 1);
    ::setenv("QT_QPA_PLATFORM", "xcb", 1);
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
