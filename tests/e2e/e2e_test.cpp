// End to end: the built Vorlix, copied into a folder of its own with its
// data files, runs on a private X server with openbox beside another
// client's windows, and does its job on them.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <filesystem>

#include "adapters/x11/x11_window_system.h"
#include "support.h"
#include "x_client.h"
#include "x_server.h"

namespace vorlix::testing {
namespace {

TEST(EndToEnd, ClosesBlacklistedPopupsLearnsBrowsersAndKeepsItsAutostartCurrent) {
    auto session = XServer::start(true);
    ASSERT_TRUE(session) << session.error().message;
    const std::string display = session.value()->display();
    const test::TempDir dir;
    const auto folder = dir.path() / "Vorlix folder";  // a blank: the entry must quote
    const auto entry = dir.path() / "config/autostart/Kelto_Vorlix.desktop";
    std::filesystem::create_directories(entry.parent_path());
    std::filesystem::create_directories(folder);
    std::filesystem::copy_file(VORLIX_EXECUTABLE, folder / "Vorlix");
    test::write_file(folder / "Vorlix.dat", "Win a prize\r\n");
    test::write_file(folder / "Vorlix.cfg", "Timer=200\r\n");
    test::write_file(entry, "[Desktop Entry]\nType=Application\nName=Vorlix\nExec=/old/Vorlix\n");

    XClient browser(display, true);
    const xcb_window_t popup = browser.create("Win a prize - Microsoft Internet Explorer");
    browser.map(popup);
    browser.map(browser.create("Home - Netscape 6"));
    const std::string exe = (folder / "Vorlix").string();
    const pid_t vorlix =
        spawn({exe}, {"DISPLAY=" + display, "XDG_RUNTIME_DIR=" + dir.path().string(),
                      "XDG_CONFIG_HOME=" + (dir.path() / "config").string()});
    EXPECT_TRUE(browser.wait_for_close_request(popup, std::chrono::seconds(20)));
    EXPECT_TRUE(test::wait_until([&] {
        return test::read_file(folder / "Vorlix_BrowserName.dat") ==
               "Microsoft Internet Explorer\r\nNetscape 6\r\n";
    }));
    EXPECT_NE(test::read_file(entry)->find("\nExec=\"" + exe + "\"\n"), std::string::npos);
    // Closing the main window ends the program.
    const auto windows = platform::x11::X11WindowSystem::open(display.c_str());
    platform::WindowId main = windows->first_top_level(0);
    while (main != 0 && windows->title(main) != "Vorlix v1.14 (build 47)")
        main = windows->next_top_level(main);
    browser.click_close_box(main);
    EXPECT_TRUE(test::wait_until([&] { return waitpid(vorlix, nullptr, WNOHANG) == vorlix; }));
    stop_child(vorlix);
}

}  // namespace
}  // namespace vorlix::testing
