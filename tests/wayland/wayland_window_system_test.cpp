// The Wayland window system on a real headless sway, with native and XWayland
// windows; then the built Vorlix on weston, which does not list its toplevels.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "adapters/wayland/wayland_window_system.h"
#include "adapters/x11/x11_window_system.h"
#include "session.h"

namespace vorlix::test {
namespace {

using namespace std::chrono_literals;
using adapters::wayland::WaylandWindowSystem;
using platform::WindowId;

class OnSway : public ::testing::Test {
protected:
    // Before any window opens: the table follows the compositor's events.
    // The caller's own window is named 77: every xmessage titled kOwn.
    void SetUp() override {
        if (sway.x_display.empty()) GTEST_SKIP() << read_file(sway.dir.file("log")).value_or("");
        auto own = [](WindowId id) { return std::string(id == 77 ? kOwn : ""); };
        ws = std::move(WaylandWindowSystem::open(nullptr, {"Xmessage", own}).value());
    }
    bool lists(std::size_t n) {
        return wait_until([&] { return titles(*ws).size() == n; });
    }

    static constexpr const char* kOwn = "Vorlix - Window List";
    Compositor sway{Desktop::sway};
    std::unique_ptr<WaylandWindowSystem> ws;
};

// sway 1.7 names no parent in its parent events, so owners cannot be shown.
TEST_F(OnSway, ListsNativeAndXWaylandWindowsFindsThemWithoutARoundTripSeesTitlesAndCloses) {
    const std::set<std::string> expected = {"Native - Netscape 6", "Bad \xff\xfe title",
                                            "X11 - Mozilla 1.7", kOwn};
    NativeWindow changing("Native - Netscape 6"), bad("Bad \xff\xfe title");
    const pid_t x11 = sway.xmessage("X11 - Mozilla 1.7");
    sway.xmessage(kOwn);
    ASSERT_TRUE(lists(expected.size()));
    const auto trips = ws->round_trips();
    const auto listed = titles(*ws);
    EXPECT_EQ(std::set(listed.begin(), listed.end()), expected);
    EXPECT_EQ(ws->title(ws->find_by_title("NATIVE - NETSCAPE 6")), "Native - Netscape 6");
    EXPECT_EQ(ws->title(ws->find_by_title("x11 - mozilla 1.7")), "X11 - Mozilla 1.7");
    EXPECT_EQ(titles(*ws, 77).size(), expected.size() - 1) << "the caller's own window is left out";
    const WindowId h = ws->find_by_title("Native - Netscape 6");
    changing.retitle("Changed - Netscape");
    EXPECT_TRUE(wait_until([&] { return ws->find_by_title("changed - NETSCAPE") == h; }));
    EXPECT_EQ(ws->round_trips(), trips);
    EXPECT_TRUE(ws->post_close(ws->find_by_title("X11 - Mozilla 1.7")));
    EXPECT_TRUE(wait_until([&] { return ::waitpid(x11, nullptr, WNOHANG) == x11; }));
}

TEST_F(OnSway, ClosesAsAskedAndWindowsClosedMeanwhileAreNoneQuietly) {
    std::map<std::string, NativeWindow> windows;
    for (const char* title : {"A", "B", "C"}) windows.try_emplace(title, title);
    ASSERT_TRUE(lists(3));
    EXPECT_EQ(titles(*ws), (std::vector<std::string>{"C", "B", "A"})) << "last activated first";
    const WindowId c = ws->first_top_level(0), b = ws->find_by_title("B");
    EXPECT_TRUE(ws->post_close(c));
    EXPECT_TRUE(windows.at("C").asked());
    windows.at("C").retitle("C stays");  // ignored: it is still there, under the same id
    EXPECT_TRUE(wait_until([&] { return ws->find_by_title("C stays") == c; }));
    windows.erase("B");  // the next in the walk goes
    ASSERT_TRUE(wait_until([&] { return ws->title(b).empty(); }));
    EXPECT_FALSE(ws->is_visible(b));
    EXPECT_FALSE(ws->post_close(b)) << "a window that went away is asked nothing";
    const WindowId a = ws->next_top_level(c);
    EXPECT_EQ(ws->title(a), "A");
    windows.erase("A");  // the one at hand goes
    ASSERT_TRUE(wait_until([&] { return ws->find_by_title("A") == 0; }));
    EXPECT_EQ(ws->next_top_level(a), 0u);
}

// The compositor ends, or (sway 1.7) cannot send a title too long for one
// protocol message and drops this client.
class LosingSway : public OnSway, public ::testing::WithParamInterface<bool> {};

TEST_P(LosingSway, LeavesNothingListedAndTheNoticeSaysSo) {
    const NativeWindow still("Still here");
    ASSERT_TRUE(lists(1));
    GetParam() ? test::stop_child(std::exchange(sway.pid, -1))
               : void(sway.xmessage(std::string(65536, 'L')));
    EXPECT_TRUE(wait_until([&] { return titles(*ws).empty() && ws->event_fd() < 0; }));
    EXPECT_EQ(ws->notice(), "No windows: lost the Wayland display");
    EXPECT_EQ(ws->find_by_title("Still here"), 0u);
}
INSTANTIATE_TEST_SUITE_P(EndedOrOverlongTitle, LosingSway, ::testing::Bool());

// weston lists no toplevels, so Vorlix falls back to the X11 windows; its X
// window manager puts each client in a frame and publishes no client list.
TEST(OnWeston, XWaylandWindowsAreListedAndClosedAndTheNoticeSaysNativeOnesAreNot) {
    Compositor weston(Desktop::weston);
    if (weston.x_display.empty()) GTEST_SKIP() << read_file(weston.dir.file("log")).value_or("");
    NativeWindow native("A native - Microsoft Internet Explorer");  // looked up first
    EXPECT_FALSE(WaylandWindowSystem::open(nullptr, {}).ok());
    const auto x11 = adapters::x11::X11WindowSystem::open();
    EXPECT_EQ(x11->notice(), "Native Wayland windows cannot be seen");
    const std::string title = "Win a prize - Microsoft Internet Explorer";
    const pid_t popup = weston.xmessage(title);
    EXPECT_TRUE(wait_until([&] { return std::ranges::count(titles(*x11), title) == 1; }));
    const TempDir folder;  // Vorlix finds it by its title and asks it to close
    std::filesystem::copy_file(VORLIX_EXECUTABLE, folder.file("Vorlix"));
    write_file(folder.file("Vorlix.dat"), "A native\r\nWin a prize\r\n");
    write_file(folder.file("Vorlix.cfg"), "Timer=500\r\n");
    const pid_t vorlix =
        test::spawn({folder.file("Vorlix")}, {"XDG_CONFIG_HOME=" + folder.file("config")});
    EXPECT_TRUE(wait_until([&] { return ::waitpid(popup, nullptr, WNOHANG) == popup; }));
    EXPECT_FALSE(native.asked(100ms)) << "asked in the tick that closed the popup";
    test::stop_child(vorlix);
}

}  // namespace
}  // namespace vorlix::test
