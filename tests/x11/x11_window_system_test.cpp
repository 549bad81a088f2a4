// The X11 window system against a real X server, under openbox and with no
// window manager (VORLIX_X11_WM), with windows of every shape the test
// client can make.
#include "adapters/x11/x11_window_system.h"

#include <gtest/gtest.h>
#include <poll.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "support.h"
#include "x_client.h"
#include "x_server.h"

namespace vorlix::platform::x11 {
namespace {

using namespace std::chrono_literals;
using testing::XClient;
using testing::XServer;

bool eventually(const std::function<bool()>& done) {
    return test::wait_until(done, 3s);
}

class X11Test : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        const char* wm = std::getenv("VORLIX_X11_WM");
        auto started = XServer::start(wm != nullptr && std::string(wm) == "openbox");
        ASSERT_TRUE(started.ok()) << started.error().message;
        server_ = std::move(started.value());
    }
    static void TearDownTestSuite() { server_.reset(); }
    void SetUp() override {
        ASSERT_TRUE(server_);
        client_ = std::make_unique<XClient>(server_->display(), managed());
        ws_ = X11WindowSystem::open(server_->display().c_str());
        ASSERT_EQ(ws_->notice(), "");
    }
    static bool managed() { return server_->has_window_manager(); }

    // Our own windows in the order a whole walk visits them.
    std::vector<WindowId> walk_of(const std::vector<xcb_window_t>& ours) {
        std::vector<WindowId> seen;
        for (WindowId w = ws_->first_top_level(0); w != 0 && seen.size() < 10000;
             w = ws_->next_top_level(w))
            if (std::count(ours.begin(), ours.end(), w)) seen.push_back(w);
        return seen;
    }
    xcb_window_t shown(std::string_view title, bool deletable = true) {
        const xcb_window_t w = client_->create(title, deletable);
        client_->map(w);
        return w;
    }

    static inline std::unique_ptr<XServer> server_;
    std::unique_ptr<XClient> client_;
    std::unique_ptr<X11WindowSystem> ws_;
};

// Title properties as clients set them, and what the adapter reads.
struct Shape {
    const char* name;
    std::vector<std::tuple<const char*, const char*, std::string>> properties;
    std::string title;
};
const std::string kHuge = [] {
    std::string s;
    while (s.size() < 64 * 1024) s += "Huge title " + std::to_string(s.size()) + " ";
    return s;
}();

void PrintTo(const Shape& s, std::ostream* os) {
    *os << s.name;
}

class TitleShapes : public X11Test, public ::testing::WithParamInterface<Shape> {};

TEST_P(TitleShapes, AreReadAsThisProgramReadsTitlesAndFoundByThem) {
    const xcb_window_t w = client_->create("");
    for (const auto& [property, type, bytes] : GetParam().properties)
        client_->set(w, property, type, bytes);
    client_->map(w);
    ASSERT_EQ(walk_of({w}), std::vector<WindowId>{w});
    const std::string title = ws_->title(w);
    if (GetParam().title == "cut") {
        EXPECT_FALSE(title.empty());
        EXPECT_EQ(kHuge.compare(0, title.size(), title), 0) << "cut, never garbled";
    } else {
        EXPECT_EQ(title, GetParam().title);
    }
    EXPECT_TRUE(ws_->is_visible(w));
    EXPECT_EQ(ws_->owner(w), 0u);
    EXPECT_EQ(ws_->find_by_title(title), title.empty() ? 0 : w);
}

INSTANTIATE_TEST_SUITE_P(
    X11, TitleShapes,
    ::testing::Values(
        Shape{"NetName",
              {{"_NET_WM_NAME", "UTF8_STRING", "\xC3\x84rger \xE2\x80\x94 \xC3\x9C"}},
              "\xC3\x84rger - \xC3\x9C"},
        // GTK and Qt clients set both; WM_NAME holds a lossy copy.
        Shape{"NetNameBeforeWmName",
              {{"_NET_WM_NAME", "UTF8_STRING", "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB7\xE2\x80\x8B - X"},
               {"WM_NAME", "STRING", "???? - X"}},
              "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB7 - X"},
        Shape{"Latin1WmName", {{"WM_NAME", "STRING", "Caf\xE9"}}, "Caf\xC3\xA9"},
        Shape{"Utf8WmName", {{"WM_NAME", "UTF8_STRING", "Caf\xC3\xA9"}}, "Caf\xC3\xA9"},
        Shape{
            "CompoundTextAsLatin1", {{"WM_NAME", "COMPOUND_TEXT", "Compos\xE9"}}, "Compos\xC3\xA9"},
        Shape{"CutAtNul", {{"WM_NAME", "STRING", std::string("Before\0after", 12)}}, "Before"},
        Shape{"InvalidUtf8Kept",
              {{"_NET_WM_NAME", "UTF8_STRING", "\xFF\xFE bad \xC3\x28"}},
              "\xFF\xFE bad \xC3\x28"},
        Shape{"NetNameOfWrongType",
              {{"_NET_WM_NAME", "STRING", "Wrong type"}, {"WM_NAME", "STRING", "Fallback"}},
              "Fallback"},
        Shape{"Untitled", {}, ""},
        Shape{"EmptyBoth", {{"_NET_WM_NAME", "UTF8_STRING", ""}, {"WM_NAME", "STRING", ""}}, ""},
        Shape{"Huge", {{"_NET_WM_NAME", "UTF8_STRING", kHuge}}, "cut"}),
    [](const auto& row) { return std::string(row.param.name); });

// Owners, states and protocols of every kind a client may set, the
// malformed included: read without harm, asked to close only when they can be.
TEST_F(X11Test, OwnersStatesAndProtocolsOfAnyShape) {
    const xcb_window_t parent = shown("Parent");
    const xcb_window_t a = shown("Loop A"), b = shown("Loop B");
    const struct {
        const char* title;
        const char* property;
        const char* type;
        std::vector<std::uint32_t> items;
        WindowId owner;
    } table[] = {
        {"Dialog", "WM_TRANSIENT_FOR", "WINDOW", {parent}, parent},
        {"To the root", "WM_TRANSIENT_FOR", "WINDOW", {client_->root()}, 0},
        {"Loop A", "WM_TRANSIENT_FOR", "WINDOW", {b}, b},
        {"Loop B", "WM_TRANSIENT_FOR", "WINDOW", {a}, a},
        {"Wide name", "WM_NAME", "STRING", {0x41414141, 0, 0xFFFFFFFF}, 0},
        {"Bad protocols", "WM_PROTOCOLS", "STRING", {client_->atom("WM_DELETE_WINDOW")}, 0},
        {"Bad state", "WM_STATE", "WINDOW", {3, 0}, 0}};
    std::vector<xcb_window_t> made;
    for (const auto& row : table) {
        const xcb_window_t w = std::string(row.title).starts_with("Loop")
                                   ? (row.title[5] == 'A' ? a : b)
                                   : shown(row.title, std::string(row.title) != "Bad protocols");
        client_->set(w, row.property, row.type, row.items);
        made.push_back(w);
    }
    client_->set(made[0], "WM_STATE", "WM_STATE", "x");  // 8-bit, not the state
    ASSERT_EQ(walk_of(made).size(), made.size());
    for (std::size_t i = 0; i < made.size(); ++i) {
        EXPECT_EQ(ws_->owner(made[i]), table[i].owner) << table[i].title;
        EXPECT_TRUE(ws_->is_visible(made[i])) << table[i].title;
        ws_->post_close(made[i]);
    }
    EXPECT_EQ(ws_->find_by_title("wide NAME"), made[4]);
    EXPECT_TRUE(client_->wait_for_close_request(made[0], 3s));
    EXPECT_TRUE(client_->alive()) << "a window manager killed the client";
    EXPECT_EQ(
        std::count(client_->close_requests().begin(), client_->close_requests().end(), made[5]), 0)
        << "a window without WM_DELETE_WINDOW was asked to close";
}

TEST_F(X11Test, HiddenAndIconicWindowsAreFoundAndEventsKeepThemCurrent) {
    const xcb_window_t hidden = client_->create("Never shown");
    const xcb_window_t iconic = shown("Minimised");
    client_->iconify(iconic);
    const auto walked = walk_of({hidden, iconic});
    EXPECT_TRUE(std::count(walked.begin(), walked.end(), iconic));
    // A window manager lists only what it manages; without one the walk
    // meets the hidden window too.
    EXPECT_EQ(std::count(walked.begin(), walked.end(), hidden) == 1, !managed());
    EXPECT_FALSE(ws_->is_visible(hidden));
    EXPECT_TRUE(ws_->is_visible(iconic));
    EXPECT_EQ(ws_->find_by_title("never SHOWN"), hidden);

    client_->map(hidden);
    EXPECT_TRUE(eventually([&] { return ws_->is_visible(hidden); }));
    client_->destroy(iconic);
    EXPECT_TRUE(eventually([&] { return !ws_->is_visible(iconic); }));
    EXPECT_EQ(ws_->find_by_title("Minimised"), 0u);
}

TEST_F(X11Test, StackingOrderFollowsARaiseAndTheTopmostMatchWins) {
    const xcb_window_t lower = shown("Same Title \xE2\x80\x93 X");  // en dash
    const xcb_window_t upper = shown("same title - x");
    EXPECT_EQ(walk_of({lower, upper}), (std::vector<WindowId>{upper, lower}));
    EXPECT_EQ(ws_->find_by_title("SAME TITLE \xE2\x80\x94 X"), upper);
    client_->raise(lower);
    EXPECT_EQ(walk_of({lower, upper}), (std::vector<WindowId>{lower, upper}));
    EXPECT_EQ(ws_->find_by_title("SAME TITLE - X"), lower);
    EXPECT_EQ(ws_->find_by_title("same title"), 0u);
}

TEST_F(X11Test, LookUpsMakeNoRoundTripAndSeeEveryChange) {
    const xcb_window_t w = shown("Old - Browser");
    ASSERT_NE(ws_->first_top_level(0), 0u);
    const auto before = ws_->replies_waited();
    for (int i = 0; i < 100; ++i) {
        EXPECT_EQ(ws_->find_by_title(i % 2 ? "old - browser" : "None"), i % 2 ? w : 0);
        EXPECT_TRUE(ws_->is_visible(w));
        client_->set_net_name(client_->create(""), "New " + std::to_string(i));
    }
    client_->set(w, "WM_NAME", "STRING", "Plain");  // _NET_WM_NAME still wins
    client_->set_net_name(w, "New - Browser");
    EXPECT_TRUE(eventually([&] { return ws_->find_by_title("NEW - BROWSER") == w; }));
    EXPECT_EQ(ws_->find_by_title("Old - Browser"), 0u);
    client_->set_net_name(w, "");
    EXPECT_TRUE(eventually([&] { return ws_->find_by_title("plain") == w; }));
    const xcb_window_t late = shown("Late arrival");
    EXPECT_TRUE(eventually([&] { return ws_->find_by_title("late arrival") == late; }));
    EXPECT_EQ(ws_->replies_waited(), before);
}

// A client that sets up its window while the adapter's first questions
// about it are on their way: the changes must not be lost.
TEST_F(X11Test, ChangesMadeWhileTheWindowIsFirstReadAreKept) {
    const xcb_window_t parent = shown("Parent");
    ws_->first_top_level(0);
    const int fd = ws_->event_fd();
    auto readable = [fd] {
        pollfd p{fd, POLLIN, 0};
        return poll(&p, 1, 0) == 1;
    };
    const xcb_window_t w = client_->create("", /*deletable=*/false);
    ASSERT_TRUE(eventually(readable));  // its creation
    ws_->process_events();
    EXPECT_EQ(ws_->find_by_title("Win a prize - Browser"), 0u);  // asks about it
    ASSERT_TRUE(eventually(readable));                           // the answers
    std::this_thread::sleep_for(50ms);
    client_->set_net_name(w, "Win a prize - Browser");
    client_->set(w, "WM_PROTOCOLS", "ATOM", {client_->atom("WM_DELETE_WINDOW")});
    client_->set(w, "WM_TRANSIENT_FOR", "WINDOW", {parent});
    client_->map(w);
    EXPECT_TRUE(eventually([&] { return ws_->find_by_title("win a prize - browser") == w; }));
    EXPECT_TRUE(eventually([&] { return ws_->is_visible(w) && ws_->owner(w) == parent; }));
    ws_->post_close(w);
    EXPECT_TRUE(client_->wait_for_close_request(w, 3s));
}

TEST_F(X11Test, EventsAreReadWhenTheSocketSaysSo) {
    const int fd = ws_->event_fd();
    auto readable = [fd](int ms) {
        pollfd p{fd, POLLIN, 0};
        return poll(&p, 1, ms) == 1;
    };
    ws_->process_events();
    EXPECT_FALSE(readable(0));
    client_->set(client_->root(), "WM_NAME", "STRING", "Root property changed");
    EXPECT_TRUE(readable(3000));
    ws_->process_events();
    EXPECT_FALSE(readable(0));
}

TEST_F(X11Test, WindowsDestroyedDuringTheWalkArePassedOver) {
    const xcb_window_t bottom = shown("Bottom"), middle = shown("Middle"), top = shown("Top");
    WindowId w = ws_->first_top_level(0);
    while (w != 0 && w != top) w = ws_->next_top_level(w);
    ASSERT_EQ(w, top);
    client_->destroy(middle);
    ASSERT_TRUE(eventually([&] { return ws_->title(middle).empty(); }));
    std::vector<WindowId> rest;
    for (w = ws_->next_top_level(top); w != 0; w = ws_->next_top_level(w)) rest.push_back(w);
    EXPECT_EQ(std::count(rest.begin(), rest.end(), middle), 0);
    EXPECT_EQ(std::count(rest.begin(), rest.end(), bottom), 1);
    client_->destroy(top);
    ASSERT_TRUE(eventually([&] { return ws_->title(top).empty(); }));
    EXPECT_EQ(ws_->next_top_level(top), 0u);
}

TEST_F(X11Test, CloseRequestsReachHonouringAndIgnoringClients) {
    const xcb_window_t stubborn = shown("Stubborn - Browser");
    XClient polite_client(server_->display(), managed());
    polite_client.honours_close = true;
    const xcb_window_t polite = polite_client.create("Polite - Browser");
    polite_client.map(polite);
    ws_->first_top_level(0);
    for (int i = 0; i < 3; ++i) ws_->post_close(ws_->find_by_title("stubborn - browser"));
    ws_->post_close(ws_->find_by_title("polite - browser"));
    EXPECT_TRUE(eventually([&] { return client_->close_requests().size() == 3; }));
    EXPECT_TRUE(polite_client.wait_for_close_request(polite, 3s));
    EXPECT_TRUE(eventually([&] { return ws_->find_by_title("Polite - Browser") == 0; }));
    EXPECT_EQ(walk_of({stubborn}), std::vector<WindowId>{stubborn});
}

// Another client makes and destroys windows as fast as the server takes
// them while the adapter walks and looks up.
TEST_F(X11Test, WindowsComingAndGoingDuringWalks) {
    std::atomic<bool> stop{false};
    std::thread churn([&] {
        XClient other(server_->display(), false);
        std::vector<xcb_window_t> live;
        for (long i = 0; !stop; ++i) {
            live.push_back(other.create("Churn " + std::to_string(i % 50)));
            other.map(live.back());
            if (live.size() > 20) other.destroy(live[live.size() - 21]);
        }
    });
    for (int round = 0; round < 100; ++round) {
        walk_of({});
        for (int i = 0; i < 50; ++i) (void)ws_->find_by_title("Churn " + std::to_string(i));
    }
    stop = true;
    churn.join();
    ASSERT_TRUE(client_->alive());
    EXPECT_TRUE(eventually([&] { return ws_->find_by_title("Churn 1") == 0; }));
    for (WindowId w = ws_->first_top_level(0); w != 0; w = ws_->next_top_level(w))
        EXPECT_FALSE(ws_->title(w).starts_with("Churn")) << ws_->title(w);
}

// A stand-in window manager: its list names `listed` and a destroyed
// window, both twice, and knows nothing of `unlisted`.
TEST_F(X11Test, AWindowManagersListIsTrustedOnlyWhenItsCheckWindowNamesItself) {
    if (managed()) GTEST_SKIP() << "needs the root to itself";
    for (const bool trusted : {false, true}) {
        XClient wm(server_->display(), false);
        const xcb_window_t listed = shown("Listed"), unlisted = shown("Not listed");
        const xcb_window_t gone = client_->create("Gone");
        client_->destroy(gone);
        wm.pose_as_window_manager({gone, listed, gone, listed},
                                  {"_NET_CLIENT_LIST_STACKING", "_NET_CLOSE_WINDOW"}, trusted);
        const std::vector<WindowId> walk =
            trusted ? std::vector<WindowId>{listed} : std::vector<WindowId>{unlisted, listed};
        EXPECT_EQ(walk_of({listed, unlisted, gone}), walk);
        EXPECT_EQ(ws_->find_by_title("not listed"), unlisted);
        ws_->post_close(listed);
        ws_->post_close(unlisted);
        EXPECT_TRUE(client_->wait_for_close_request(unlisted, 3s));
        const auto messages = wm.root_close_messages(trusted ? 3s : 100ms);
        ASSERT_EQ(messages.size(), trusted ? 1u : 0u);
        for (const auto& m : messages) EXPECT_EQ(m.data.data32[1], 2u) << "from a pager or tool";
        EXPECT_EQ(client_->wait_for_close_request(listed, 100ms), !trusted);
    }
}

TEST(X11WithoutServer, NothingIsListedAndTheNoticeSaysWhy) {
    const auto ws = X11WindowSystem::open(":4999");
    EXPECT_EQ(
        ws->notice(),
        "Cannot open the X display \":4999\" (no server answers): Vorlix cannot see any windows");
    EXPECT_EQ(ws->first_top_level(0), 0u);
    EXPECT_EQ(ws->find_by_title("Anything"), 0u);
    EXPECT_EQ(ws->event_fd(), -1);
    ws->post_close(1);
}

TEST_F(X11Test, ALostServerEndsEverythingQuietly) {
    auto other = XServer::start(false);
    ASSERT_TRUE(other.ok()) << other.error().message;
    auto ws = X11WindowSystem::open(other.value()->display().c_str());
    XClient client(other.value()->display(), false);
    const xcb_window_t w = client.create("Soon gone");
    client.map(w);
    ASSERT_EQ(ws->first_top_level(0), w);
    other.value()->kill();
    EXPECT_TRUE(eventually([&] { return ws->title(w).empty(); }));
    EXPECT_EQ(ws->next_top_level(w), 0u);
    EXPECT_EQ(ws->first_top_level(0), 0u);
    EXPECT_EQ(ws->event_fd(), -1);
    EXPECT_EQ(ws->notice(), "Lost the connection to the X display: Vorlix cannot see any windows");
}

}  // namespace
}  // namespace vorlix::platform::x11
