// The X11 window system against a real X server. VORLIX_X11_WM=openbox runs
// the same tests under openbox; otherwise no window manager runs.
#include "adapters/x11/x11_window_system.h"

#include <gtest/gtest.h>
#include <poll.h>
#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "test_client.h"
#include "x_server.h"

namespace vorlix::platform::x11 {
namespace {

using testing::TestClient;
using testing::XServer;
using namespace std::chrono_literals;

bool wants_window_manager() {
    const char* wm = std::getenv("VORLIX_X11_WM");
    return wm != nullptr && std::string(wm) == "openbox";
}

// Sets or unsets an environment variable for one scope.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : name_(name) {
        if (const char* old = std::getenv(name)) old_ = old;
        if (value != nullptr)
            setenv(name, value, 1);
        else
            unsetenv(name);
    }
    ~ScopedEnv() {
        if (old_)
            setenv(name_, old_->c_str(), 1);
        else
            unsetenv(name_);
    }

private:
    const char* name_;
    std::optional<std::string> old_;
};

class X11WindowSystemTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        auto started = XServer::start(wants_window_manager());
        ASSERT_TRUE(started.ok()) << started.error().message;
        server_ = std::move(started.value());
    }
    static void TearDownTestSuite() { server_.reset(); }

    void SetUp() override {
        ASSERT_TRUE(server_);
        client_ = std::make_unique<TestClient>(server_->display(), managed());
        ws_ = X11WindowSystem::open(server_->display().c_str());
        ASSERT_EQ(ws_->notice(), "");
    }

    static bool managed() { return server_->has_window_manager(); }

    // Our own windows in the order a whole walk visits them.
    std::vector<WindowId> walk_of(const std::vector<xcb_window_t>& ours) {
        std::vector<WindowId> seen;
        for (WindowId w = ws_->first_top_level(0); w != 0; w = ws_->next_top_level(w)) {
            if (std::find(ours.begin(), ours.end(), w) != ours.end()) seen.push_back(w);
            if (seen.size() > 10000) break;
        }
        return seen;
    }

    xcb_window_t shown(std::string_view title) {
        const xcb_window_t w = client_->create(title);
        client_->map(w);
        return w;
    }

    // Events reach the adapter asynchronously: poll a condition briefly.
    static bool eventually(const std::function<bool()>& done) {
        const auto deadline = std::chrono::steady_clock::now() + 3s;
        while (!done()) {
            if (std::chrono::steady_clock::now() > deadline) return false;
            std::this_thread::sleep_for(1ms);
        }
        return true;
    }

    static std::unique_ptr<XServer> server_;
    std::unique_ptr<TestClient> client_;
    std::unique_ptr<X11WindowSystem> ws_;
};

std::unique_ptr<XServer> X11WindowSystemTest::server_;

TEST_F(X11WindowSystemTest, ListsClientWindowsTopmostFirstWithTitlesAsThisProgramReadsThem) {
    const xcb_window_t utf8 = shown(
        "\xC3\x84rger \xE2\x80\x94 \xC3\x9C"
        "bel");  // Ärger — Übel
    const xcb_window_t latin1 = client_->create("");
    client_->set_wm_name(latin1, "Caf\xE9 cr\xE8me");
    client_->map(latin1);
    const xcb_window_t both = client_->create("Microsoft\xE2\x80\x8B Edge");  // zero-width space
    client_->set_wm_name(both, "not this one");
    client_->map(both);
    const xcb_window_t nul = client_->create("");
    client_->set_wm_name(nul, std::string_view("Before\0after", 12));
    client_->map(nul);
    const xcb_window_t compound = client_->create("");
    client_->set_wm_name(compound, "Compos\xE9", "COMPOUND_TEXT");
    client_->map(compound);
    const xcb_window_t untitled = shown("");

    EXPECT_EQ(walk_of({utf8, latin1, both, nul, compound, untitled}),
              (std::vector<WindowId>{untitled, compound, nul, both, latin1, utf8}));
    EXPECT_EQ(ws_->title(utf8),
              "\xC3\x84rger - \xC3\x9C"
              "bel");
    EXPECT_EQ(ws_->title(latin1), "Caf\xC3\xA9 cr\xC3\xA8me");
    EXPECT_EQ(ws_->title(both), "Microsoft Edge");
    EXPECT_EQ(ws_->title(nul), "Before");
    EXPECT_EQ(ws_->title(compound), "Compos\xC3\xA9");
    EXPECT_EQ(ws_->title(untitled), "");
    for (const xcb_window_t w : {utf8, latin1, both, nul, compound, untitled}) {
        EXPECT_TRUE(ws_->is_visible(w)) << w;
        EXPECT_EQ(ws_->owner(w), 0u) << w;
    }
    EXPECT_EQ(ws_->title(0), "");
    EXPECT_FALSE(ws_->is_visible(0));
}

TEST_F(X11WindowSystemTest, HiddenIconicAndOwnedWindows) {
    const xcb_window_t parent = shown("Parent");
    const xcb_window_t dialog = client_->create("Dialog");
    client_->set_transient_for(dialog, parent);
    client_->map(dialog);
    const xcb_window_t to_root = client_->create("Transient for the root");
    client_->set_transient_for(to_root, client_->root());
    client_->map(to_root);
    const xcb_window_t to_self = client_->create("Transient for itself");
    client_->set_transient_for(to_self, to_self);
    client_->map(to_self);
    const xcb_window_t hidden = client_->create("Never shown");
    const xcb_window_t iconic = shown("Minimised");
    client_->iconify(iconic);

    const auto walked = walk_of({parent, dialog, to_root, to_self, hidden, iconic});
    EXPECT_NE(std::find(walked.begin(), walked.end(), iconic), walked.end());
    EXPECT_NE(std::find(walked.begin(), walked.end(), dialog), walked.end());
    // A window manager lists only the windows it manages; without one the
    // walk meets the hidden window too.
    EXPECT_EQ(std::find(walked.begin(), walked.end(), hidden) != walked.end(), !managed());

    EXPECT_EQ(ws_->owner(dialog), parent);
    EXPECT_TRUE(ws_->is_visible(dialog));
    EXPECT_EQ(ws_->owner(parent), 0u);
    EXPECT_EQ(ws_->owner(to_root), 0u);
    EXPECT_EQ(ws_->owner(to_self), 0u);
    EXPECT_FALSE(ws_->is_visible(hidden));
    EXPECT_EQ(ws_->title(hidden), "Never shown");
    EXPECT_TRUE(ws_->is_visible(iconic));
    // Found whether shown or not, as any top-level window is.
    EXPECT_EQ(ws_->find_by_title("never SHOWN"), hidden);
    EXPECT_EQ(ws_->find_by_title("dialog"), dialog);

    // Showing and hiding are seen from events, without a new walk.
    client_->map(hidden);
    EXPECT_TRUE(eventually([&] { return ws_->is_visible(hidden); }));
    client_->destroy(dialog);
    EXPECT_TRUE(eventually([&] { return !ws_->is_visible(dialog); }));
    EXPECT_EQ(ws_->find_by_title("Dialog"), 0u);
}

TEST_F(X11WindowSystemTest, StackingOrderFollowsARaiseAndTheTopmostMatchWins) {
    const xcb_window_t lower = shown("Same Title - X");
    const xcb_window_t upper = shown("same title - x");
    EXPECT_EQ(walk_of({lower, upper}), (std::vector<WindowId>{upper, lower}));
    EXPECT_EQ(ws_->find_by_title("SAME TITLE - X"), upper);

    client_->raise(lower);
    EXPECT_EQ(walk_of({lower, upper}), (std::vector<WindowId>{lower, upper}));
    EXPECT_EQ(ws_->find_by_title("SAME TITLE - X"), lower);
}

TEST_F(X11WindowSystemTest, FindMatchesTheWholeTitleIgnoringCaseInAnyScript) {
    const xcb_window_t aerger = shown("\xC3\xA4rger - X");                    // ärger - X
    const xcb_window_t cyrillic = shown("\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB7");  // Приз
    const xcb_window_t firefox = shown("Page \xE2\x80\x94 Mozilla Firefox");  // em dash
    const xcb_window_t en_dash = shown("Home \xE2\x80\x93 Netscape 6");
    ws_->first_top_level(0);

    EXPECT_EQ(ws_->find_by_title("\xC3\x84RGER - x"), aerger);                    // ÄRGER - x
    EXPECT_EQ(ws_->find_by_title("\xD0\xBF\xD0\xA0\xD0\x98\xD0\x97"), cyrillic);  // пРИЗ
    EXPECT_EQ(ws_->find_by_title("PAGE - MOZILLA FIREFOX"), firefox);
    EXPECT_EQ(ws_->find_by_title("Page \xE2\x80\x93 Mozilla Firefox"), firefox);  // en dash
    EXPECT_EQ(ws_->find_by_title("home - netscape 6"), en_dash);
    EXPECT_EQ(ws_->title(en_dash), "Home - Netscape 6");
    EXPECT_EQ(ws_->find_by_title("\xC3\xA4rger"), 0u);
    EXPECT_EQ(ws_->find_by_title("\xC3\xA4rger - X "), 0u);
    EXPECT_EQ(ws_->find_by_title(" \xC3\xA4rger - X"), 0u);
    EXPECT_EQ(ws_->find_by_title("arger - X"), 0u);
    EXPECT_EQ(ws_->find_by_title(""), 0u);
}

TEST_F(X11WindowSystemTest, LookUpsAfterAWalkMakeNoRoundTripAndSeeTitleChanges) {
    const xcb_window_t net = shown("Old title - Browser");
    const xcb_window_t plain = client_->create("");
    client_->set_wm_name(plain, "Plain old");
    client_->map(plain);
    ASSERT_NE(ws_->first_top_level(0), 0u);
    const auto before = ws_->replies_waited();

    for (int i = 0; i < 1000; ++i) {
        EXPECT_EQ(ws_->find_by_title(i % 2 ? "old title - browser" : "No such window"),
                  i % 2 ? WindowId{net} : WindowId{0});
        EXPECT_TRUE(ws_->is_visible(net));
        EXPECT_EQ(ws_->title(plain), "Plain old");
    }
    EXPECT_EQ(ws_->replies_waited(), before);

    client_->set_net_name(net, "New title - Browser");
    client_->set_wm_name(plain, "Plain new");
    EXPECT_TRUE(eventually([&] { return ws_->find_by_title("NEW TITLE - BROWSER") == net; }));
    EXPECT_TRUE(eventually([&] { return ws_->find_by_title("plain new") == plain; }));
    EXPECT_EQ(ws_->find_by_title("Old title - Browser"), 0u);
    EXPECT_EQ(ws_->find_by_title("Plain old"), 0u);
    EXPECT_EQ(ws_->title(net), "New title - Browser");
    EXPECT_EQ(ws_->replies_waited(), before);

    // Dropping _NET_WM_NAME falls back to WM_NAME.
    client_->set_wm_name(net, "Fallback");
    client_->set_net_name(net, "");
    EXPECT_TRUE(eventually([&] { return ws_->find_by_title("fallback") == net; }));

    // A window made after the walk is found as soon as its answers arrive,
    // and no look-up waits for them.
    const xcb_window_t late = shown("Late arrival");
    EXPECT_TRUE(eventually([&] { return ws_->find_by_title("late arrival") == late; }));
    EXPECT_EQ(ws_->replies_waited(), before);
}

TEST_F(X11WindowSystemTest, EventsAreReadWhenTheSocketSaysSoAndDoNotPileUp) {
    const int fd = ws_->event_fd();
    ASSERT_GE(fd, 0);
    auto readable = [fd](int wait_ms) {
        pollfd p{fd, POLLIN, 0};
        return poll(&p, 1, wait_ms) == 1;
    };
    ws_->process_events();
    EXPECT_FALSE(readable(0));
    client_->set_wm_name(client_->root(), "Root property changed");
    EXPECT_TRUE(readable(3000));
    ws_->process_events();
    EXPECT_FALSE(readable(0));
}

TEST_F(X11WindowSystemTest, WindowsDestroyedDuringTheWalkArePassedOverQuietly) {
    const xcb_window_t bottom = shown("Bottom");
    const xcb_window_t middle = shown("Middle");
    const xcb_window_t top = shown("Top");

    WindowId w = ws_->first_top_level(0);
    while (w != 0 && w != top) w = ws_->next_top_level(w);
    ASSERT_EQ(w, top);
    client_->destroy(middle);
    ASSERT_TRUE(eventually([&] { return ws_->title(middle).empty(); }));
    EXPECT_FALSE(ws_->is_visible(middle));
    EXPECT_EQ(ws_->find_by_title("Middle"), 0u);

    std::vector<WindowId> rest;
    for (w = ws_->next_top_level(top); w != 0; w = ws_->next_top_level(w)) rest.push_back(w);
    EXPECT_EQ(std::count(rest.begin(), rest.end(), WindowId{middle}), 0);
    EXPECT_EQ(std::count(rest.begin(), rest.end(), WindowId{bottom}), 1);

    // The window at hand destroyed: the walk ends there.
    ws_->first_top_level(0);
    client_->destroy(top);
    ASSERT_TRUE(eventually([&] { return ws_->title(top).empty(); }));
    EXPECT_EQ(ws_->next_top_level(top), 0u);
    EXPECT_EQ(ws_->next_top_level(0x7FFFFFFF), 0u);
}

TEST_F(X11WindowSystemTest, CloseRequestReachesTheClientAndNeverKillsIt) {
    const xcb_window_t polite = shown("Win a prize - Browser");
    const xcb_window_t stubborn = client_->create("No delete protocol", /*deletable=*/false);
    client_->map(stubborn);
    ws_->first_top_level(0);

    ws_->post_close(ws_->find_by_title("win a prize - browser"));
    EXPECT_TRUE(client_->wait_for_close_request(polite, 3s));

    // Under openbox, _NET_CLOSE_WINDOW for such a window kills its client.
    ws_->post_close(stubborn);
    std::this_thread::sleep_for(300ms);
    EXPECT_TRUE(client_->alive());
    EXPECT_EQ(
        std::count(client_->close_requests().begin(), client_->close_requests().end(), stubborn),
        0);
    ws_->first_top_level(0);
    EXPECT_EQ(ws_->title(stubborn), "No delete protocol");

    // The polite window has not closed (the client decides); both are left.
    EXPECT_EQ(ws_->find_by_title("Win a prize - Browser"), polite);
    ws_->post_close(0);
    ws_->post_close(0xFFFFFFFFFFull);
}

// A stand-in window manager on the bare server: its list names `listed` and a
// destroyed window, both twice, and knows nothing of `unlisted`.
struct Posed {
    xcb_window_t listed;
    xcb_window_t unlisted;
    xcb_window_t gone;
};

class PosedWindowManagerTest : public X11WindowSystemTest {
protected:
    Posed pose(bool check_names_itself) {
        const Posed p{shown("Listed - Browser"), shown("Not in the list"), client_->create("Gone")};
        client_->destroy(p.gone);
        client_->pose_as_window_manager({p.gone, p.listed, p.gone, p.listed},
                                        {"_NET_CLIENT_LIST_STACKING", "_NET_CLOSE_WINDOW"},
                                        check_names_itself);
        return p;
    }
};

TEST_F(PosedWindowManagerTest, ItsListIsTrustedOnlyWhenItsCheckWindowNamesItself) {
    if (managed()) GTEST_SKIP() << "needs the root to itself";
    const Posed p = pose(/*check_names_itself=*/false);
    EXPECT_EQ(walk_of({p.listed, p.unlisted}), (std::vector<WindowId>{p.unlisted, p.listed}));
    ws_->post_close(p.listed);
    EXPECT_TRUE(client_->wait_for_close_request(p.listed, 3s));
    EXPECT_TRUE(client_->root_close_messages(100ms).empty());
}

TEST_F(PosedWindowManagerTest, ItIsAskedWithCloseWindowForTheWindowsItManages) {
    if (managed()) GTEST_SKIP() << "needs the root to itself";
    // A stale id in the list is passed over; windows it does not name are
    // frames or withdrawn windows: findable, never walked.
    const Posed p = pose(/*check_names_itself=*/true);
    const xcb_window_t listed = p.listed, unlisted = p.unlisted;
    EXPECT_EQ(walk_of({listed, unlisted, p.gone}), (std::vector<WindowId>{listed}));
    EXPECT_EQ(ws_->find_by_title("not in the list"), unlisted);

    ws_->post_close(listed);
    const auto messages = client_->root_close_messages(3s);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].window, listed);
    EXPECT_EQ(messages[0].format, 32);
    EXPECT_EQ(messages[0].data.data32[0], 0u);  // timestamp
    EXPECT_EQ(messages[0].data.data32[1], 2u);  // source: a pager or tool
    EXPECT_TRUE(client_->close_requests().empty());

    // A window it does not manage is asked directly.
    ws_->post_close(unlisted);
    EXPECT_TRUE(client_->wait_for_close_request(unlisted, 3s));
}

TEST_F(X11WindowSystemTest, WithoutADisplayNothingIsListedAndTheNoticeSaysWhy) {
    {
        const ScopedEnv no_display("DISPLAY", nullptr);
        const auto ws = X11WindowSystem::open();
        EXPECT_EQ(ws->notice(), "No X display: Vorlix cannot see any windows");
        EXPECT_EQ(ws->event_fd(), -1);
        ws->process_events();
        EXPECT_EQ(ws->first_top_level(0), 0u);
        EXPECT_EQ(ws->find_by_title("Anything"), 0u);
        ws->post_close(1);
    }
    // A display name with no server behind it.
    int n = 4000;
    struct stat st {};
    while (stat(("/tmp/.X11-unix/X" + std::to_string(n)).c_str(), &st) == 0) ++n;
    const std::string nowhere = ":" + std::to_string(n);
    const auto ws = X11WindowSystem::open(nowhere.c_str());
    EXPECT_NE(ws->notice().find(nowhere), std::string::npos) << ws->notice();
    EXPECT_NE(ws->notice().find("cannot see any windows"), std::string::npos);
    EXPECT_EQ(ws->first_top_level(0), 0u);
    EXPECT_EQ(ws->next_top_level(1), 0u);
    EXPECT_FALSE(ws->is_visible(1));
    EXPECT_EQ(ws->owner(1), 0u);
    EXPECT_EQ(ws->title(1), "");
}

TEST_F(X11WindowSystemTest, InAWaylandSessionOnlyXWaylandWindowsAreSeenAndTheNoticeSaysSo) {
    const xcb_window_t w = shown("Through XWayland");
    const ScopedEnv wayland("WAYLAND_DISPLAY", "wayland-0");
    const ScopedEnv display("DISPLAY", server_->display().c_str());
    const auto ws = X11WindowSystem::open();
    EXPECT_NE(ws->notice().find("Wayland"), std::string::npos) << ws->notice();
    EXPECT_NE(ws->notice().find("X11"), std::string::npos) << ws->notice();
    ws->first_top_level(0);
    EXPECT_EQ(ws->find_by_title("through xwayland"), w);
}

TEST_F(X11WindowSystemTest, ALostServerEndsEverythingQuietly) {
    auto started = XServer::start(false);
    ASSERT_TRUE(started.ok()) << started.error().message;
    auto ws = X11WindowSystem::open(started.value()->display().c_str());
    {
        TestClient other(started.value()->display(), false);
        const xcb_window_t w = other.create("Soon gone");
        other.map(w);
        ASSERT_EQ(ws->first_top_level(0), w);
        started.value()->kill();
        // Half way through a walk: it ends, and the table is not read.
        EXPECT_TRUE(eventually([&] { return ws->title(w).empty(); }));
        EXPECT_FALSE(ws->is_visible(w));
        EXPECT_EQ(ws->next_top_level(w), 0u);
    }
    EXPECT_EQ(ws->first_top_level(0), 0u);
    EXPECT_EQ(ws->find_by_title("Soon gone"), 0u);
    ws->post_close(1);
    ws->process_events();
    EXPECT_EQ(ws->event_fd(), -1);
    EXPECT_NE(ws->notice().find("cannot see any windows"), std::string::npos) << ws->notice();
}

}  // namespace
}  // namespace vorlix::platform::x11
