// The KWin window system on a real headless KWin with native and XWayland
// windows; X windows closed only the X11 way, on KWin, sway and phoc; and the
// installed Vorlix, which KWin grants its window list, in a KWin session.
#include <gtest/gtest.h>

#include <cerrno>

#include "adapters/kwin/kwin_window_system.h"
#include "adapters/wayland/wayland_window_system.h"
#include "adapters/x11/x11_window_system.h"
#include "kwin_session.h"
#include "session.h"
#include "x_client.h"

namespace vorlix::test {
namespace {

using namespace std::chrono_literals;
using adapters::kwin::KWinWindowSystem;
using adapters::x11::X11WindowSystem;
using platform::WindowId;

auto close_x(X11WindowSystem& x) {
    return [&x](std::string_view title) { return x.post_close_titled(title); };
}

// An X client with a window that takes WM_DELETE_WINDOW and two that do not:
// a compositor asked to close one of those kills the client, and the
// innocent document goes with it.
void expect_x_windows_closed_only_the_x11_way(platform::WindowSystem& ws, XClient& x) {
    const xcb_window_t popup = x.create("X popup");
    for (const xcb_window_t w :
         {popup, x.create("Blacklisted", false), x.create("Innocent document", false)})
        x.map(w);
    ASSERT_TRUE(wait_until([&] { return ws.find_by_title("Innocent document") != 0; }, 5s))
        << ::testing::PrintToString(titles(ws));
    EXPECT_FALSE(ws.post_close(ws.find_by_title("Blacklisted"))) << "nothing is counted";
    EXPECT_TRUE(ws.post_close(ws.find_by_title("X popup")));
    EXPECT_TRUE(x.wait_for_close_request(popup, 60s)) << "sent after the refused one";
    EXPECT_TRUE(x.alive());
    EXPECT_NE(ws.find_by_title("Blacklisted"), 0u);
}

constexpr std::uint32_t kOwnPid = 4242;  // the windows of "our" process

class OnKWin : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_GT(kwin.kwin, 0) << kwin.log();
        ws = std::move(KWinWindowSystem::open(nullptr, close_x(*x), kOwnPid).value());
    }

    KWin kwin;
    std::unique_ptr<X11WindowSystem> x = X11WindowSystem::open();
    std::unique_ptr<KWinWindowSystem> ws;
};

TEST_F(OnKWin, ListsNativeAndXWindowsTopmostFirstWithOwnersFindsThemWithoutARoundTripAndRetitles) {
    XClient xc(kwin.x_display, true);
    const xcb_window_t own = xc.create("Vorlix"), main = xc.create("X11 - Mozilla 1.7");
    xc.set(own, "_NET_WM_PID", "CARDINAL", {kOwnPid});
    const xcb_window_t dialog = xc.create("Save as");
    xc.set(dialog, "WM_TRANSIENT_FOR", "WINDOW", {main});
    for (const xcb_window_t w : {own, main, dialog}) xc.map(w);
    NativeWindow native("Native - Netscape 6");
    const std::vector<std::string> expected = {"Native - Netscape 6", "Save as",
                                               "X11 - Mozilla 1.7"};
    ASSERT_TRUE(wait_until([&] { return titles(*ws) == expected; })) << "our own window left out";
    const auto trips = ws->round_trips();
    EXPECT_EQ(ws->owner(ws->find_by_title("save AS")), ws->find_by_title("x11 - mozilla 1.7"));
    const WindowId h = ws->find_by_title("NATIVE - NETSCAPE 6");
    EXPECT_TRUE(ws->is_visible(h));
    EXPECT_EQ(ws->owner(h), 0u);
    native.retitle("Changed - Netscape");
    EXPECT_TRUE(wait_until([&] { return ws->find_by_title("changed - NETSCAPE") == h; }));
    EXPECT_EQ(ws->round_trips(), trips);
}

TEST_F(OnKWin, ClosesNativeWindowsThroughKWinXWindowsTheX11WayAndGoneOnesQuietly) {
    XClient xc(kwin.x_display, true);
    expect_x_windows_closed_only_the_x11_way(*ws, xc);
    auto gone = std::make_unique<NativeWindow>("Gone");
    NativeWindow stays("Ignores close");
    ASSERT_TRUE(wait_until([&] { return titles(*ws).size() == 5; }));
    const WindowId top = ws->first_top_level(0), next = ws->next_top_level(top);
    ASSERT_EQ(ws->title(next), "Gone");
    EXPECT_TRUE(ws->post_close(top));
    EXPECT_TRUE(stays.asked());
    stays.retitle("Still here");  // it is still there, under the same id
    EXPECT_TRUE(wait_until([&] { return ws->find_by_title("Still here") == top; }));
    gone.reset();  // the next in the walk goes
    ASSERT_TRUE(wait_until([&] { return ws->title(next).empty(); }));
    EXPECT_FALSE(ws->is_visible(next));
    EXPECT_FALSE(ws->post_close(next)) << "a window that went away is asked nothing";
    EXPECT_EQ(ws->title(ws->next_top_level(top)), "Innocent document") << "passed over";
}

TEST_F(OnKWin, LosingKWinLeavesNothingListedAndTheNoticeSaysSo) {
    const NativeWindow still("Still here");
    ASSERT_TRUE(wait_until([&] { return titles(*ws).size() == 1; }));
    kwin.stop();
    EXPECT_TRUE(wait_until([&] { return titles(*ws).empty() && ws->event_fd() < 0; }));
    EXPECT_EQ(ws->notice(), "No windows: lost the Wayland display");
    EXPECT_EQ(ws->find_by_title("Still here"), 0u);
}

class OnWlroots : public ::testing::TestWithParam<Desktop> {};
INSTANTIATE_TEST_SUITE_P(Desktops, OnWlroots, ::testing::Values(Desktop::sway, Desktop::phoc),
                         [](const auto& d) { return d.param == Desktop::sway ? "sway" : "phoc"; });

TEST_P(OnWlroots, XWindowsAreClosedOnlyTheX11Way) {
    Compositor wlroots(GetParam());
    ASSERT_FALSE(wlroots.x_display.empty()) << read_file(wlroots.dir.file("log")).value_or("");
    const auto x = X11WindowSystem::open();
    const auto ws = adapters::wayland::WaylandWindowSystem::open(nullptr, {}, close_x(*x)).value();
    XClient xc(wlroots.x_display, true);
    expect_x_windows_closed_only_the_x11_way(*ws, xc);
}

// KWin checks its permission as installed: the installed Vorlix gets the
// window list, closes native pop-ups but not their namesakes, and learns
// names from native and X titles; this test, with no desktop entry, is
// refused and told so (its fallback is the one on weston).
TEST(InstalledOnKWin, GetsTheWindowListAndAProgramWithoutAnEntryIsRefused) {
    const TempDir dir;
    const std::string prefix = dir.file("a prefix");  // the entry's Exec quotes it
    const pid_t install = test::spawn({"cmake", "--install", VORLIX_BUILD_DIR, "--prefix", prefix});
    int status = -1;
    ASSERT_EQ(::waitpid(install, &status, 0), install);
    ASSERT_EQ(status, 0);
    KWin kwin(prefix + "/share:/usr/share");
    ASSERT_GT(kwin.kwin, 0) << kwin.log();
    const auto refused = KWinWindowSystem::open(nullptr, {}, 0);
    ASSERT_FALSE(refused.ok());
    EXPECT_EQ(refused.error().message, adapters::kwin::kRefused);
    EXPECT_EQ(refused.error().code, EACCES);

    NativeWindow popup("Win a prize - Microsoft Internet Explorer"), browser("Home - Mozilla 5"),
        page("Win a prize");
    const pid_t news = test::spawn({"xmessage", "-title", "News - Netscape 7", "x"});
    const std::string bin = prefix + "/bin";
    write_file(bin + "/Vorlix.dat", "Win a prize\r\n");
    write_file(bin + "/Vorlix.cfg", "Timer=500\r\n");
    const pid_t vorlix = test::spawn({bin + "/Vorlix"}, {"XDG_CONFIG_HOME=" + bin});
    // Each window answers KWin's pings only while it reads its connection.
    EXPECT_TRUE(wait_until([&] { return browser.asked(0ms), page.asked(0ms), popup.asked(0ms); }));
    EXPECT_TRUE(wait_until([&] {  // in walk order
        const std::string names = read_file(bin + "/Vorlix_BrowserName.dat").value_or("");
        browser.asked(0ms), page.asked(0ms);
        return names.find("\nMozilla 5\r\n") != names.npos &&
               names.find("\nNetscape 7\r\n") != names.npos;
    }));
    EXPECT_FALSE(page.asked(0ms)) << "its namesake without a browser's name";
    test::stop_child(vorlix);
    test::stop_child(news);
}

}  // namespace
}  // namespace vorlix::test
