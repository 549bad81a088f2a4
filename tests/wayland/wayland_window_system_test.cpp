// The Wayland window system on a real headless sway, with native and XWayland
// windows; then the built Vorlix on sway, and on weston, which does not list
// its toplevels.
#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <set>
#include <thread>

#include "adapters/wayland/wayland_window_system.h"
#include "adapters/x11/x11_window_system.h"
#include "session.h"

namespace vorlix::test {
namespace {

using namespace std::chrono_literals;
using platform::WindowId;
using platform::wayland::WaylandWindowSystem;

pid_t start_vorlix(const TempDir& folder) {
    std::filesystem::copy_file(VORLIX_EXECUTABLE, folder.file("Vorlix"));
    write_file(folder.file("Vorlix.dat"), "Win a prize\r\n");
    write_file(folder.file("Vorlix.cfg"), "Timer=500\r\n");
    return spawn({folder.file("Vorlix")}, {"XDG_CONFIG_HOME=" + folder.file("config")},
                 folder.file("log"));
}

class OnSway : public ::testing::Test {
protected:
    void SetUp() override {
        if (!sway.up()) GTEST_SKIP() << sway.why_not();
        native.emplace();
    }
    // Sees the walk come to `n` toplevels; `from` names the caller's window,
    // here 77 for every window xmessage titles "Vorlix - Window List".
    bool walk_shows(std::size_t n, WindowId from = 0) {
        if (!ws)
            ws = std::move(
                WaylandWindowSystem::open(
                    nullptr, {"Xmessage", [](WindowId id) { return id == 77 ? kOwn : ""; }})
                    .value());
        return wait_until([&] { return walk(from).size() == n; });
    }
    std::vector<std::string> walk(WindowId from = 0) {
        std::vector<std::string> titles;
        for (WindowId h = ws->first_top_level(from); h != 0; h = ws->next_top_level(h))
            if (ws->is_visible(h)) titles.push_back(ws->title(h));
        return titles;
    }
    bool close_requested(NativeWindows::Window& w, std::chrono::milliseconds limit = 10s) {
        return wait_until([&] { return native->pump(), w.close_requested; }, limit);
    }

    static constexpr const char* kOwn = "Vorlix - Window List";
    Compositor sway{true};
    std::optional<NativeWindows> native;
    std::unique_ptr<WaylandWindowSystem> ws;
};

// sway 1.7 names no parent in its parent events, so owners cannot be shown.
TEST_F(OnSway, ListsNativeAndXWaylandWindowsFindsThemWithoutARoundTripAndSeesTitleChanges) {
    const std::set<std::string> expected = {"Native - Netscape 6", "Bad \xff\xfe title",
                                            "X11 - Mozilla 1.7", kOwn};
    auto& changing = native->open("Native - Netscape 6");
    native->open("Bad \xff\xfe title");
    xmessage("X11 - Mozilla 1.7", sway.dir.file("x"));
    xmessage(kOwn, sway.dir.file("x"));
    ASSERT_TRUE(walk_shows(expected.size()));
    const auto trips = ws->round_trips();
    const auto titles = walk();
    EXPECT_EQ(std::set(titles.begin(), titles.end()), expected);
    for (const std::string& title : expected) {
        std::string upper = title;
        for (char& ch : upper) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
        EXPECT_EQ(ws->title(ws->find_by_title(upper)), title);
    }
    EXPECT_EQ(ws->find_by_title("X11 - Mozilla"), 0u) << "the whole title, not a part";
    EXPECT_EQ(walk(77).size(), expected.size() - 1) << "the caller's own window is left out";
    const WindowId h = ws->find_by_title("Native - Netscape 6");
    native->retitle(changing, "Changed - Netscape");
    EXPECT_TRUE(wait_until([&] { return ws->find_by_title("changed - NETSCAPE") == h; }));
    EXPECT_EQ(ws->find_by_title("Native - Netscape 6"), 0u);
    EXPECT_EQ(ws->round_trips(), trips);
    EXPECT_EQ(ws->notice(), "");
}

TEST_F(OnSway, ClosesAsAskedAndWindowsClosedMeanwhileAreNoneQuietly) {
    ASSERT_TRUE(walk_shows(0));  // each window is activated as it opens
    std::map<std::string, NativeWindows::Window*> windows;
    for (const char* title : {"A", "B", "C"}) windows[title] = &native->open(title);
    const pid_t x_popup = xmessage("X11 popup", sway.dir.file("x"));
    ASSERT_TRUE(walk_shows(4));
    ws->post_close(ws->find_by_title("X11 popup"));
    EXPECT_TRUE(wait_until([&] { return exited(x_popup); }));
    ASSERT_TRUE(walk_shows(3));
    EXPECT_EQ(walk(), (std::vector<std::string>{"C", "B", "A"})) << "last activated first";
    const WindowId c = ws->first_top_level(0), b = ws->find_by_title("B");
    ws->post_close(c);
    EXPECT_TRUE(close_requested(*windows["C"]));
    std::this_thread::sleep_for(200ms);  // ignored: it stays
    EXPECT_EQ(ws->find_by_title("C"), c);
    native->close(*windows["B"]);  // the next in the walk goes
    ASSERT_TRUE(wait_until([&] { return ws->title(b).empty(); }));
    EXPECT_FALSE(ws->is_visible(b));
    ws->post_close(b);
    const WindowId a = ws->next_top_level(c);
    EXPECT_EQ(ws->title(a), "A");
    native->close(*windows["A"]);  // the one at hand goes
    ASSERT_TRUE(wait_until([&] { return ws->find_by_title("A") == 0; }));
    EXPECT_EQ(ws->next_top_level(a), 0u);
}

// The compositor ends, or (sway 1.7) cannot send a title too long for one
// protocol message and drops this client.
class LosingSway : public OnSway, public ::testing::WithParamInterface<bool> {};

TEST_P(LosingSway, LeavesNothingListedAndTheNoticeSaysSo) {
    native->open("Still here");
    ASSERT_TRUE(walk_shows(1));
    if (GetParam()) {
        stop(sway.pid);
    } else {
        xmessage(std::string(65536, 'L'), sway.dir.file("x"));
    }
    EXPECT_TRUE(wait_until([&] { return walk().empty() && ws->event_fd() < 0; }));
    EXPECT_NE(ws->notice().find("Lost the connection"), std::string::npos) << ws->notice();
    EXPECT_EQ(ws->find_by_title("Still here"), 0u);
}
INSTANTIATE_TEST_SUITE_P(EndedOrOverlongTitle, LosingSway, ::testing::Bool());

TEST_F(OnSway, VorlixClosesANativePopupWithinOneIntervalAndLearnsFromBothKinds) {
    auto& popup = native->open("Win a prize - Microsoft Internet Explorer");
    auto& bare = native->open("Win a prize");
    native->open("Home - Netscape 6");
    xmessage("News - Mozilla 1.7", sway.dir.file("x"));
    ASSERT_TRUE(walk_shows(4));
    const TempDir folder;
    pid_t vorlix = start_vorlix(folder);
    ASSERT_TRUE(wait_until([&] { return ws->find_by_title("Vorlix v1.14 (build 47)") != 0; }))
        << read_file(folder.file("log")).value_or("");
    EXPECT_TRUE(close_requested(popup, 1000ms)) << "not within one 500 ms interval";
    EXPECT_FALSE(close_requested(bare, 1200ms));
    const std::string names = read_file(folder.file("Vorlix_BrowserName.dat")).value_or("");
    EXPECT_NE(names.find("\nNetscape 6\r\n"), std::string::npos) << names;
    EXPECT_NE(names.find("\nMozilla 1.7\r\n"), std::string::npos) << names;
    stop(vorlix);
}

class OnWeston : public ::testing::Test {
protected:
    void SetUp() override {
        if (!weston.up()) GTEST_SKIP() << weston.why_not();
        popup = xmessage("Win a prize - Microsoft Internet Explorer", weston.dir.file("x"));
        vorlix = start_vorlix(folder);
    }
    void TearDown() override { stop(vorlix), stop(popup); }

    Compositor weston{false};
    NativeWindows native;
    TempDir folder;
    pid_t popup = -1, vorlix = -1;
};

TEST_F(OnWeston, NativeWindowsCannotBeSeenAndTheNoticeSaysOnlyX11OnesCanBe) {
    auto& native_popup = native.open("Win a prize - Microsoft Internet Explorer");
    EXPECT_FALSE(WaylandWindowSystem::open(nullptr, {}).ok());
    EXPECT_NE(platform::x11::X11WindowSystem::open()->notice().find("only X11"), std::string::npos);
    std::this_thread::sleep_for(3s);  // Vorlix has started and scanned
    native.pump();
    EXPECT_FALSE(native_popup.close_requested);
    EXPECT_FALSE(exited(vorlix)) << read_file(folder.file("log")).value_or("");
}

// Fails today: weston's XWayland window manager puts each client in a frame
// and publishes no client list, and the X11 adapter lists only the frames.
TEST_F(OnWeston, DISABLED_VorlixClosesXWaylandPopups) {
    EXPECT_TRUE(wait_until([&] { return exited(popup); }, 15s));
}

}  // namespace
}  // namespace vorlix::test
