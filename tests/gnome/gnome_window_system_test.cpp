// The GNOME window system on a real headless GNOME Shell with our extension,
// native windows and X ones; then the built Vorlix in that session.
#include <gtest/gtest.h>

#include <optional>
#include <set>

#include "base/text.h"
#include "gnome_session.h"
#include "session.h"
#include "x_client.h"

namespace vorlix::test {
namespace {

using platform::WindowId;

std::set<std::string> listed(platform::WindowSystem& ws) {
    const auto walked = titles(ws);
    return {walked.begin(), walked.end()};
}

TEST(OnGnomeShell, ListsNativeAndXWindowsFindsThemWithoutARoundTripAndClosesEachItsWay) {
    GnomeShell gnome(true);
    const auto ws = gnome.windows();
    ASSERT_EQ(ws->notice(), "");
    std::optional<NativeWindow> obeys(std::in_place, "Native - Netscape 6");
    NativeWindow ignores("Ignores - Netscape 6");
    XClient x(gnome.x_display, true);
    const auto deletable = x.create("X11 - Mozilla 1.7"), stubborn = x.create("Stubborn", false);
    x.map(deletable), x.map(stubborn);
    const std::set<std::string> all = {"Native - Netscape 6", "Ignores - Netscape 6",
                                       "X11 - Mozilla 1.7", "Stubborn"};
    ASSERT_TRUE(wait_until([&] { return listed(*ws) == all; }));
    const auto trips = ws->round_trips();
    EXPECT_EQ(ws->find_by_title("x11 - MOZILLA 1.7"), deletable) << "X windows by their X ids";
    EXPECT_EQ(ws->find_by_keys(TitleKey(text::title_key("X11")), TitleKey(" - mozilla 1.7")),
              deletable);
    const WindowId native = ws->find_by_title("NATIVE - netscape 6"),
                   other = ws->find_by_title("Ignores - Netscape 6");
    obeys->retitle("Changed - Netscape");
    EXPECT_TRUE(wait_until([&] { return ws->find_by_title("changed - NETSCAPE") == native; }));
    EXPECT_EQ(ws->round_trips(), trips);

    const WindowId first = ws->first_top_level(0);  // a walk begins
    EXPECT_TRUE(ws->post_close(native));
    EXPECT_TRUE(obeys->asked());
    obeys.reset();  // and goes, as asked
    EXPECT_TRUE(wait_until([&] { return !ws->is_visible(native); }));
    EXPECT_FALSE(ws->post_close(native)) << "a window that went away is asked nothing";
    std::vector<WindowId> rest;
    for (WindowId h = first; h != 0; h = ws->next_top_level(h)) rest.push_back(h);
    EXPECT_EQ(rest.size(), 3u) << "the walk passes over it";
    EXPECT_TRUE(ws->post_close(other));
    EXPECT_TRUE(ignores.asked());
    ignores.retitle("Still here");  // it stays, under the same id
    EXPECT_TRUE(wait_until([&] { return ws->find_by_title("Still here") == other; }));
    EXPECT_TRUE(ws->post_close(deletable));
    ws->flush();
    EXPECT_TRUE(x.wait_for_close_request(deletable, std::chrono::seconds(10)));
    EXPECT_FALSE(ws->post_close(stubborn)) << "the shell would kill its client";
    EXPECT_TRUE(x.alive());
}

TEST(OnGnomeShell, WithoutTheExtensionX11AloneAnswersAndTheNoticeSaysHowToTurnItOn) {
    GnomeShell gnome(false);
    const auto ws = gnome.windows(false);
    const std::string off =
        std::string("Run: gnome-extensions enable ") + adapters::gnome::kExtensionUuid;
    EXPECT_EQ(ws->notice(), off);
    const NativeWindow native("Native");
    XClient x(gnome.x_display, true);
    x.map(x.create("X11"));
    EXPECT_TRUE(wait_until([&] { return listed(*ws) == std::set<std::string>{"X11"}; }));
    gnome.extensions("enable");
    EXPECT_TRUE(wait_until([&] { return listed(*ws) == std::set<std::string>{"Native", "X11"}; }));
    EXPECT_EQ(ws->notice(), "");
    gnome.extensions("disable");
    EXPECT_TRUE(wait_until([&] { return ws->process_events(), ws->notice() == off; }));
    stop_child(std::exchange(gnome.shell, -1));  // the shell goes, Vorlix stays
    EXPECT_TRUE(wait_until([&] { return listed(*ws).empty(); }));
    EXPECT_EQ(ws->notice(), off);
}

// The built Vorlix closes the native pop-up, leaves its namesake without a
// browser's name open, never asks an X window that does not take
// WM_DELETE_WINDOW (looked up first, in the same tick), and lists native and
// X windows in its panel, whose browsers' names it learns.
TEST(OnGnomeShell, VorlixClosesTheNativePopupSparesTheRestAndListsEveryWindow) {
    GnomeShell gnome(true);
    gnome.windows();
    NativeWindow popup("Win a prize - Microsoft Internet Explorer"), page("Win a prize"),
        browser("Home - Mozilla 5");
    XClient x(gnome.x_display, true);
    x.map(x.create("Stubborn - Microsoft Internet Explorer", false));
    x.map(x.create("News - Netscape 7"));
    write_file(gnome.dir.file("bin/Vorlix.dat"), "Stubborn\r\nWin a prize\r\n");
    write_file(gnome.dir.file("bin/Vorlix.cfg"), "Timer=500\r\n");
    const pid_t vorlix = spawn({gnome.dir.file("bin/Vorlix")}, gnome.env);
    EXPECT_TRUE(popup.asked());
    EXPECT_TRUE(wait_until([&] {
        const auto names = read_file(gnome.dir.file("bin/Vorlix_BrowserName.dat")).value_or("");
        return names.find("\nMozilla 5\r\n") != names.npos &&
               names.find("\nNetscape 7\r\n") != names.npos;
    }));
    EXPECT_FALSE(page.asked(std::chrono::milliseconds(100)));
    EXPECT_TRUE(x.alive()) << "its client was killed";
    EXPECT_TRUE(x.close_requests().empty());
    stop_child(vorlix);
}

}  // namespace
}  // namespace vorlix::test
