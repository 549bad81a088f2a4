// The X11 window system against a real X server, under openbox and with no
// window manager (VORLIX_X11_WM), with windows of every shape the test
// client can make.
#include "adapters/x11/x11_window_system.h"

#include <gtest/gtest.h>
#include <poll.h>
#include <sys/socket.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "adapters/x11/x11_properties.h"
#include "support.h"
#include "x_client.h"
#include "x_server.h"

namespace vorlix::adapters::x11 {
namespace {

using namespace std::chrono_literals;
using test::wait_until;
using test::XClient;
using test::XServer;

// How many replies wait on an X connection, unread by its client.
std::size_t replies_waiting(int fd) {
    std::vector<std::uint32_t> in(1 << 14);  // in 4-byte units
    const ssize_t n = ::recv(fd, in.data(), in.size() * 4, MSG_PEEK | MSG_DONTWAIT) / 4;
    std::size_t replies = 0;
    for (ssize_t at = 0; at + 8 <= n; at += 8)                  // events and errors take 32 bytes
        if ((in[at] & 0xFF) == 1) ++replies, at += in[at + 1];  // a reply, 32 and its length
    return replies;
}

class X11Test : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        const char* wm = std::getenv("VORLIX_X11_WM");
        auto started = XServer::start(wm != nullptr && std::string(wm) == "openbox");
        ASSERT_TRUE(started.ok()) << started.error().message;
        server_ = std::move(started.value());
    }
    void SetUp() override {
        ASSERT_TRUE(server_);
        client_ = std::make_unique<XClient>(server_->display(), managed());
        ws_ = X11WindowSystem::open(server_->display().c_str());
        ASSERT_EQ(ws_->notice(), "");
    }
    static bool managed() { return server_->has_window_manager(); }

    // Our own windows in the order a whole walk visits them.
    std::vector<platform::WindowId> walk_of(const std::vector<xcb_window_t>& ours) {
        std::vector<platform::WindowId> seen;
        for (platform::WindowId w = ws_->first_top_level(0); w != 0; w = ws_->next_top_level(w))
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

// The two title properties as clients set them, and the title read.
struct Shape {
    const char* name;
    const char* net_type;  // of _NET_WM_NAME, unset when null
    std::string net;
    const char* wm_type;  // of WM_NAME, unset when null
    std::string wm;
    std::string title;  // "cut": a prefix of `net`
};
const std::string kHuge(70000, 'h');

class TitleShapes : public X11Test, public ::testing::WithParamInterface<Shape> {};

TEST_P(TitleShapes, AreReadAsThisProgramReadsTitlesAndFoundByThem) {
    const Shape& s = GetParam();
    const xcb_window_t w = client_->create("");
    if (s.net_type) client_->set(w, "_NET_WM_NAME", s.net_type, s.net);
    if (s.wm_type) client_->set(w, "WM_NAME", s.wm_type, s.wm);
    client_->map(w);
    ASSERT_EQ(walk_of({w}), std::vector<platform::WindowId>{w});
    const std::string title = ws_->title(w);
    EXPECT_EQ(title, s.title == "cut" ? s.net.substr(0, title.size()) : s.title);
    EXPECT_TRUE(s.title != "cut" || title.size() >= 1024);
    EXPECT_EQ(ws_->find_by_title(title), title.empty() ? 0 : w);
}

const char* const kUtf8 = "UTF8_STRING";
INSTANTIATE_TEST_SUITE_P(
    X11, TitleShapes,
    ::testing::Values(
        Shape{"Net", kUtf8, "\xC3\x84rger \xE2\x80\x94 \xC3\x9C", nullptr, "",
              "\xC3\x84rger - \xC3\x9C"},
        // GTK and Qt clients set both; WM_NAME then holds a lossy copy.
        Shape{"NetBeforeWm", kUtf8, "\xD0\x9F\xD1\x80\xE2\x80\x8B - X", "STRING", "?? - X",
              "\xD0\x9F\xD1\x80 - X"},
        Shape{"Latin1", nullptr, "", "STRING", "Caf\xE9", "Caf\xC3\xA9"},
        Shape{"Utf8Wm", nullptr, "", kUtf8, "Caf\xC3\xA9", "Caf\xC3\xA9"},
        Shape{"CompoundAsLatin1", nullptr, "", "COMPOUND_TEXT", "Compos\xE9", "Compos\xC3\xA9"},
        Shape{"CutAtNul", nullptr, "", "STRING", std::string("Before\0after", 12), "Before"},
        Shape{"InvalidUtf8Kept", kUtf8, "\xFF\xFE \xC3\x28", nullptr, "", "\xFF\xFE \xC3\x28"},
        Shape{"NetOfWrongType", "STRING", "Wrong", "STRING", "Fallback", "Fallback"},
        Shape{"Untitled", kUtf8, "", "STRING", "", ""},
        Shape{"Huge", kUtf8, kHuge, nullptr, "", "cut"}),
    [](const auto& row) { return std::string(row.param.name); });

// Owners and protocols of every shape, malformed included.
TEST_F(X11Test, OwnersAndProtocolsOfAnyShape) {
    const xcb_window_t parent = shown("Parent"), a = shown("A"), b = shown("B");
    const xcb_window_t to_root = shown("To root"), self = shown("Self");
    const xcb_window_t no_delete = shown("No delete", false), bad = shown("Bad", false);
    // Each window, the owner it names, and the owner read.
    const std::vector<std::array<xcb_window_t, 3>> owners = {
        {parent, 0, 0}, {a, b, b}, {b, a, a}, {to_root, client_->root(), 0}, {self, self, 0}};
    for (const auto& [w, set, read] : owners)
        if (set) client_->set(w, "WM_TRANSIENT_FOR", "WINDOW", {set});
    client_->set(bad, "WM_PROTOCOLS", "STRING", "WM_DELETE_WINDOW");
    client_->set(a, "WM_STATE", "WM_STATE", "x");
    ASSERT_EQ(walk_of({parent, a, b, to_root, self, no_delete, bad}).size(), 7u);
    for (const auto& [w, set, read] : owners) {
        EXPECT_EQ(ws_->owner(w), read) << w;
        EXPECT_TRUE(ws_->is_visible(w)) << w;
    }
    for (const xcb_window_t w : {no_delete, bad, parent})
        EXPECT_EQ(ws_->post_close(w), w == parent);
    ws_->flush();
    EXPECT_TRUE(client_->wait_for_close_request(parent, 3s));
    EXPECT_EQ(client_->close_requests(), std::vector<xcb_window_t>{parent})
        << "a window that does not take WM_DELETE_WINDOW was asked to close";
}

TEST_F(X11Test, HiddenAndIconicWindowsAreFoundAndEventsKeepThemCurrent) {
    const xcb_window_t hidden = client_->create("Never shown"), iconic = client_->create("Min");
    const xcb_window_t shown_one = shown("Shown");
    // A window manager lists only what it manages; the bare tree has all.
    EXPECT_EQ(walk_of({hidden, shown_one}).size(), managed() ? 1u : 2u);
    EXPECT_FALSE(ws_->is_visible(hidden));
    EXPECT_EQ(ws_->find_by_title("never SHOWN"), hidden);
    client_->set(iconic, "WM_STATE", "WM_STATE", {3, 0});  // as a window manager iconifies
    client_->map(hidden);
    EXPECT_TRUE(wait_until([&] { return ws_->is_visible(hidden) && ws_->is_visible(iconic); }));
    client_->unmap(hidden);
    EXPECT_TRUE(wait_until([&] { return !ws_->is_visible(hidden); }));
    client_->destroy(shown_one);
    EXPECT_TRUE(wait_until([&] { return ws_->find_by_title("Shown") == 0; }));
    EXPECT_FALSE(ws_->is_visible(shown_one));
}

// The walk goes from the topmost, and the topmost match wins.
TEST_F(X11Test, LookUpsMakeNoRoundTripAndSeeEveryChange) {
    const xcb_window_t lower = shown("Same \xE2\x80\x93 X"), w = shown("Old - Browser");
    const xcb_window_t upper = shown("same - x");
    EXPECT_EQ(walk_of({lower, w, upper}), (std::vector<platform::WindowId>{upper, w, lower}));
    EXPECT_EQ(ws_->find_by_title("SAME \xE2\x80\x94 X"), upper);
    const auto before = ws_->replies_waited();
    for (int i = 0; i < 100; ++i) {
        EXPECT_EQ(ws_->find_by_title(i % 2 ? "old - browser" : "None"), i % 2 ? w : 0);
        client_->set_net_name(client_->create(""), "New " + std::to_string(i));
    }
    client_->set(w, "WM_NAME", "STRING", "Plain");  // _NET_WM_NAME still wins
    client_->set_net_name(w, "New - Browser");
    EXPECT_TRUE(wait_until([&] { return ws_->find_by_title("NEW - BROWSER") == w; }));
    client_->set_net_name(w, "");
    EXPECT_TRUE(wait_until([&] { return ws_->find_by_title("plain") == w; }));
    EXPECT_TRUE(wait_until([&] { return ws_->find_by_title("new 99") != 0; }));
    EXPECT_EQ(ws_->replies_waited(), before);
}

// A walk asks the server again only once the windows have been restacked,
// made or gone since the last: after a raise, the order is new.
TEST_F(X11Test, AWalkAsksAgainOnlyAfterTheWindowsChanged) {
    using Ids = std::vector<platform::WindowId>;
    const xcb_window_t a = shown("A"), b = shown("B");
    EXPECT_EQ(walk_of({a, b}), (Ids{b, a}));
    EXPECT_TRUE(wait_until([&] {
        const auto before = ws_->replies_waited();
        return walk_of({a, b}) == Ids{b, a} && ws_->replies_waited() == before;
    }));
    client_->raise(a);
    EXPECT_TRUE(wait_until([&] { return walk_of({a, b}) == Ids{a, b}; }));
}

// A client sets its window up while the adapter's first questions about it
// are on their way: the changes must not be lost.
TEST_F(X11Test, ChangesMadeWhileTheWindowIsFirstReadAreKept) {
    const xcb_window_t parent = shown("Parent");
    ws_->first_top_level(0);
    auto readable = [fd = ws_->event_fd()] {
        pollfd p{fd, POLLIN, 0};
        return poll(&p, 1, 0) == 1;
    };
    const xcb_window_t w = client_->create("", /*deletable=*/false);
    ASSERT_TRUE(wait_until(readable));  // its creation
    ws_->process_events();
    EXPECT_EQ(ws_->find_by_title("Win a prize - Browser"), 0u);  // asks about it
    // Every answer (the attributes, each property) is on its way: the server
    // has read all the questions before the changes below.
    ASSERT_TRUE(wait_until([&] { return replies_waiting(ws_->event_fd()) == kPropCount + 1; }));
    client_->set_net_name(w, "Win a prize - Browser");
    client_->set(w, "WM_PROTOCOLS", "ATOM", {client_->atom("WM_DELETE_WINDOW")});
    client_->set(w, "WM_TRANSIENT_FOR", "WINDOW", {parent});
    client_->map(w);
    EXPECT_TRUE(wait_until([&] { return ws_->find_by_title("win a prize - browser") == w; }));
    EXPECT_TRUE(wait_until([&] { return ws_->is_visible(w) && ws_->owner(w) == parent; }));
    EXPECT_TRUE(ws_->post_close(w)) << "its WM_PROTOCOLS were lost";
    ws_->process_events();  // reads everything: the socket is quiet again
    EXPECT_FALSE(readable());
}

TEST(X11WithoutServer, NothingIsListedAndTheNoticeSaysWhy) {
    const auto ws = X11WindowSystem::open(":4999");
    EXPECT_EQ(ws->notice(), "No windows: X display \":4999\" does not answer");
    EXPECT_EQ(ws->find_by_title("Anything"), 0u);
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
    EXPECT_TRUE(wait_until([&] { return ws->title(w).empty(); }));
    EXPECT_EQ(ws->next_top_level(w), 0u);
    EXPECT_EQ(ws->first_top_level(0), 0u);
    EXPECT_EQ(ws->event_fd(), -1);
    EXPECT_EQ(ws->notice(), "No windows: lost the X display");
}

}  // namespace
}  // namespace vorlix::adapters::x11
