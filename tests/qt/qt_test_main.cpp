// Runs the Qt tests on a private Xvfb with openbox, so that frames, moves
// and close boxes go through a real window manager.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <QApplication>
#include <cstdio>

#include "x_server.h"

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    auto session = vorlix::testing::XServer::start(true);
    if (!session) {
        std::fprintf(stderr, "no X session: %s\n", session.error().message.c_str());
        return 1;
    }
    ::setenv("DISPLAY", session.value()->display().c_str(), 1);
    ::setenv("QT_QPA_PLATFORM", "xcb", 1);
    ::unsetenv("QT_SCALE_FACTOR");
    char runtime[] = "/tmp/vorlix-qt-runtime-XXXXXX";
    if (::mkdtemp(runtime) != nullptr) ::setenv("XDG_RUNTIME_DIR", runtime, 1);
    int result = 0;
    {
        QApplication app(argc, argv);
        result = RUN_ALL_TESTS();
    }
    ::rmdir(runtime);
    return result;
}
