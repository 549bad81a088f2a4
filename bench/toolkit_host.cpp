#include "toolkit_host.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "fake_toolkit.h"

#ifdef VORLIX_BENCH_QT
#include <QApplication>
#include <QListWidget>

#include "adapters/qt/qt_toolkit.h"
#endif

namespace vorlix::bench {
namespace {

class FakeHost final : public ToolkitHost {
public:
    FakeHost() { toolkit_.app = {"/bench", "Vorlix", '/', ""}; }
    platform::Toolkit& toolkit() override { return toolkit_; }
    const char* name() const override { return "fake"; }

private:
    test::FakeToolkit toolkit_;
};

#ifdef VORLIX_BENCH_QT
int& on_x11(int& argc) {
    ::setenv("QT_QPA_PLATFORM", "xcb", 1);
    return argc;
}

class QtHost final : public ToolkitHost {
public:
    QtHost(int& argc, char** argv) : app_(on_x11(argc), argv) {}
    platform::Toolkit& toolkit() override { return toolkit_; }
    const char* name() const override { return "qt"; }
    bool try_uniform_rows() override {
        for (QWidget* w : QApplication::allWidgets())
            if (auto* list = qobject_cast<QListWidget*>(w)) list->setUniformItemSizes(true);
        return true;
    }

private:
    QApplication app_;
    adapters::qt::QtToolkit toolkit_;
};
#endif

}  // namespace

bool wants_qt(int argc, char** argv) {
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::strcmp(argv[i], "--toolkit") == 0) return std::strcmp(argv[i + 1], "fake") != 0;
    }
    return true;
}

std::unique_ptr<ToolkitHost> make_toolkit(bool want_qt, int& argc, char** argv) {
#ifdef VORLIX_BENCH_QT
    if (want_qt) return std::make_unique<QtHost>(argc, argv);
#else
    (void)want_qt;
    (void)argc;
    (void)argv;
#endif
    return std::make_unique<FakeHost>();
}

XSession start_x_session(int& argc, char** argv) {
    XSession session;
    auto server = test::XServer::start(/*with_window_manager=*/false);
    if (!server) {
        std::fprintf(stderr, "%s\n", server.error().message.c_str());
        return session;
    }
    session.server = std::move(server.value());
    session.display = session.server->display();
    ::setenv("DISPLAY", session.display.c_str(), 1);
    session.host = make_toolkit(wants_qt(argc, argv), argc, argv);
    return session;
}

}  // namespace vorlix::bench
