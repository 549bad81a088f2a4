// The X11 window system, and the program over it, against hostile windows on
// a private Xvfb. Run under the sanitizer build too, where a leak or a bad
// read fails the test.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <deque>
#include <memory>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "hostile_client.h"
#include "adapters/x11/x11_window_system.h"
#include "world.h"
#include "x_server.h"

namespace vorlix::reliability {
namespace {

using platform::WindowId;
using platform::x11::X11WindowSystem;
using Clock = std::chrono::steady_clock;

constexpr double kIntervalMs = 3000;  // the scan timer's designed interval

double ms_since(Clock::time_point t0) {
    return std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
}

struct Seen {
    WindowId id;
    bool visible;
    WindowId owner;
    std::string title;
};

// A whole walk with the questions the window list asks of every window.
// Fails the test when it does not end.
std::vector<Seen> walk(X11WindowSystem& ws) {
    std::vector<Seen> seen;
    for (WindowId w = ws.first_top_level(0); w != 0; w = ws.next_top_level(w)) {
        seen.push_back({w, ws.is_visible(w), ws.owner(w), ws.title(w)});
        if (seen.size() > 100000) {
            ADD_FAILURE() << "the walk does not end";
            break;
        }
    }
    return seen;
}

const Seen* find(const std::vector<Seen>& seen, WindowId id) {
    for (const Seen& s : seen) {
        if (s.id == id) return &s;
    }
    return nullptr;
}

class HostileWindows : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        auto started = testing::XServer::start(false);
        ASSERT_TRUE(started.ok()) << started.error().message;
        server_ = std::move(started.value());
    }
    static void TearDownTestSuite() { server_.reset(); }

    void SetUp() override {
        ASSERT_TRUE(server_);
        client_ = std::make_unique<HostileClient>(server_->display());
        ASSERT_TRUE(client_->ok());
        ws_ = X11WindowSystem::open(server_->display().c_str());
        ASSERT_EQ(ws_->notice(), "");
    }

    static inline std::unique_ptr<testing::XServer> server_;
    std::unique_ptr<HostileClient> client_;
    std::unique_ptr<X11WindowSystem> ws_;
};

TEST_F(HostileWindows, HugeAndBrokenTitlesAreReadWithoutHarm) {
    std::string huge;
    while (huge.size() < 64 * 1024) huge += "Huge title " + std::to_string(huge.size()) + " ";
    huge.resize(64 * 1024);
    const std::string invalid = "\xff\xfe bad \xc3\x28 \xed\xa0\x80 - Microsoft Internet Explorer";
    const std::string compound = "Plain part \x1b-A\xe9t\xe9 \x1b%G\xc3\xa9 end";

    const auto w_huge = client_->create();
    client_->set_net_name(w_huge, huge);
    const auto w_invalid = client_->create();
    client_->set_net_name(w_invalid, invalid);
    const auto w_compound = client_->create();
    client_->set_property(w_compound, XCB_ATOM_WM_NAME, client_->atom("COMPOUND_TEXT"), compound);
    const auto w_latin1 = client_->create();
    client_->set_property(w_latin1, XCB_ATOM_WM_NAME, XCB_ATOM_STRING,
                          std::string(64 * 1024, '\xe9'));
    ASSERT_TRUE(client_->sync());

    const auto seen = walk(*ws_);
    for (const auto w : {w_huge, w_invalid, w_compound, w_latin1}) {
        const Seen* s = find(seen, w);
        ASSERT_NE(s, nullptr) << "window " << w << " not walked";
        EXPECT_TRUE(s->visible);
        EXPECT_EQ(s->owner, 0u);
        EXPECT_FALSE(s->title.empty());
        // Whatever the adapter keeps of a title, a look-up of it finds the window.
        EXPECT_EQ(ws_->find_by_title(s->title), w);
    }
    // Bytes that are not UTF-8 come through unchanged.
    EXPECT_EQ(find(seen, w_invalid)->title, invalid);
    EXPECT_NE(find(seen, w_compound)->title.find("Plain part "), std::string::npos);
    // A huge title may be cut, never garbled.
    const std::string& kept = find(seen, w_huge)->title;
    EXPECT_EQ(huge.compare(0, kept.size(), kept), 0);
    std::printf(
        "[x11] 64 KiB _NET_WM_NAME read as %zu bytes; 64 KiB Latin-1 WM_NAME as %zu bytes\n",
        kept.size(), find(seen, w_latin1)->title.size());
    EXPECT_EQ(ws_->find_by_title(huge + "x"), 0u);
}

// Properties of the wrong type, format or length, and owners that loop.
TEST_F(HostileWindows, MalformedPropertiesAreSurvived) {
    const xcb_atom_t net_name = client_->atom("_NET_WM_NAME");
    const auto wide_name = client_->create();
    client_->set_longs(wide_name, XCB_ATOM_WM_NAME, XCB_ATOM_STRING,
                       {0x41414141, 0x42424242, 0, 0xFFFFFFFF});
    const auto wrong_type = client_->create();
    client_->set_property(wrong_type, net_name, XCB_ATOM_STRING, "Wrong type");
    client_->set_property(wrong_type, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, "Fallback");
    const auto empty = client_->create();
    client_->set_property(empty, net_name, client_->atom("UTF8_STRING"), "");
    client_->set_property(empty, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, "");
    const auto self_owned = client_->create();
    client_->set_net_name(self_owned, "Owns itself");
    client_->set_longs(self_owned, XCB_ATOM_WM_TRANSIENT_FOR, XCB_ATOM_WINDOW, {self_owned});
    const auto a = client_->create();
    const auto b = client_->create();
    client_->set_net_name(a, "Loop A");
    client_->set_net_name(b, "Loop B");
    client_->set_longs(a, XCB_ATOM_WM_TRANSIENT_FOR, XCB_ATOM_WINDOW, {b});
    client_->set_longs(b, XCB_ATOM_WM_TRANSIENT_FOR, XCB_ATOM_WINDOW, {a});
    const auto garbage = client_->create();
    client_->set_net_name(garbage, "Garbage state");
    client_->set_property(garbage, client_->atom("WM_STATE"), client_->atom("WM_STATE"), "x");
    client_->set_property(garbage, client_->atom("WM_PROTOCOLS"), XCB_ATOM_ATOM, "abc");
    client_->set_longs(garbage, XCB_ATOM_WM_TRANSIENT_FOR, XCB_ATOM_WINDOW, {0xDEADBEEF});
    ASSERT_TRUE(client_->sync());

    const auto seen = walk(*ws_);
    for (const auto w : {wide_name, wrong_type, empty, self_owned, a, b, garbage}) {
        ASSERT_NE(find(seen, w), nullptr) << "window " << w << " not walked";
        ws_->post_close(w);
    }
    EXPECT_EQ(find(seen, wrong_type)->title, "Fallback");
    EXPECT_EQ(find(seen, empty)->title, "");
    EXPECT_EQ(find(seen, self_owned)->owner, 0u);
    EXPECT_EQ(find(seen, a)->owner, b);
    EXPECT_EQ(find(seen, b)->owner, a);
    EXPECT_EQ(ws_->find_by_title("Owns itself"), self_owned);
    EXPECT_TRUE(client_->sync());
}

TEST_F(HostileWindows, AWindowThatIgnoresCloseRequestsStaysAndIsAskedAgain) {
    const auto w = client_->create();
    client_->set_net_name(w, "Stubborn - Microsoft Internet Explorer");
    ASSERT_TRUE(client_->sync());
    ASSERT_NE(find(walk(*ws_), w), nullptr);
    for (int i = 0; i < 3; ++i)
        ws_->post_close(ws_->find_by_title("stubborn - microsoft internet explorer"));

    std::vector<xcb_window_t> got;
    const auto deadline = Clock::now() + std::chrono::seconds(5);
    while (got.size() < 3 && Clock::now() < deadline) {
        client_->sync();
        for (auto r : client_->close_requests()) got.push_back(r);
    }
    EXPECT_EQ(got, (std::vector<xcb_window_t>{w, w, w}));
    // Ignored: still there, still found, and the adapter is none the worse.
    const auto seen = walk(*ws_);
    ASSERT_NE(find(seen, w), nullptr);
    EXPECT_TRUE(find(seen, w)->visible);
    EXPECT_EQ(ws_->find_by_title("Stubborn - Microsoft Internet Explorer"), w);
}

// The program's scan tick over 2000 browser windows, every one of them on the
// blacklist and every one ignoring the close request.
TEST_F(HostileWindows, TwoThousandWindowsScanInsideTheInterval) {
    const int count = static_cast<int>(scaled(2000, 500));
    std::string blacklist;
    std::set<xcb_window_t> ours;
    for (int i = 0; i < count; ++i) {
        const auto w = client_->create();
        client_->set_net_name(w, "Popup " + std::to_string(i) + " - " + kIe);
        ours.insert(w);
        blacklist += "Popup " + std::to_string(i) + "\r\n";
    }
    ASSERT_TRUE(client_->sync());

    test::FakeFileSystem files;
    files.add_folder("/opt/vorlix");
    files.add_file("/opt/vorlix/Vorlix.dat", blacklist);
    World world(files, "/opt/vorlix", ws_.get());
    auto t0 = Clock::now();
    world.start();
    const double start_ms = ms_since(t0);
    ASSERT_EQ(world.panel()->list().items().size(), static_cast<std::size_t>(count));

    t0 = Clock::now();
    ASSERT_TRUE(world.tick());
    const double tick1_ms = ms_since(t0);
    EXPECT_EQ(world.state().kill_count, count);
    t0 = Clock::now();
    ASSERT_TRUE(world.tick());
    const double tick2_ms = ms_since(t0);
    EXPECT_EQ(world.state().kill_count, 2.0 * count) << "ignored requests are made again";

    // Every close request reached its window.
    std::set<xcb_window_t> asked;
    const auto deadline = Clock::now() + std::chrono::seconds(10);
    while (asked.size() < ours.size() && Clock::now() < deadline) {
        client_->sync();
        for (auto r : client_->close_requests()) asked.insert(r);
    }
    EXPECT_EQ(asked, ours);

    // The adapter alone: a walk with every question, then the look-ups.
    t0 = Clock::now();
    const auto seen = walk(*ws_);
    const double walk_ms = ms_since(t0);
    t0 = Clock::now();
    int found = 0;
    for (int i = 0; i < count; ++i) {
        found += ws_->find_by_title("POPUP " + std::to_string(i) + " - " + kIe) != 0;
        found += ws_->find_by_title("Popup " + std::to_string(i) + " - Mozilla") != 0;
    }
    const double lookup_ms = ms_since(t0);
    EXPECT_EQ(found, count);
    EXPECT_GE(seen.size(), ours.size());
    std::printf(
        "[x11] %d windows: start-up %.1f ms, tick %.1f ms and %.1f ms (%d look-ups and %d "
        "close requests each), walk %.1f ms, %d look-ups %.1f ms\n",
        count, start_ms, tick1_ms, tick2_ms, count, count, walk_ms, 2 * count, lookup_ms);
    EXPECT_LT(tick1_ms, kIntervalMs);
    EXPECT_LT(tick2_ms, kIntervalMs);
    EXPECT_LT(walk_ms + lookup_ms, kIntervalMs);
}

// A look-up must not wait for the X server (the window system's promise), or
// a client that keeps making windows makes every look-up of a scan wait.
TEST_F(HostileWindows, LookUpsNeverWaitForTheServer) {
    ASSERT_EQ(walk(*ws_).size(), 0u);
    for (int i = 0; i < 20; ++i) {
        client_->set_net_name(client_->create(), "New " + std::to_string(i));
        ASSERT_TRUE(client_->sync());
        // Past the adapter's once-a-millisecond socket read.
        std::this_thread::sleep_for(std::chrono::milliseconds(3));
        const auto waited = ws_->replies_waited();
        (void)ws_->find_by_title("Page - Mozilla");
        EXPECT_EQ(ws_->replies_waited(), waited) << "look-up " << i << " waited for the server";
    }
}

// Another client creates and destroys windows as fast as it can while the
// adapter walks, looks up and the program scans.
TEST_F(HostileWindows, WindowsComingAndGoingDuringWalks) {
    std::atomic<bool> stop{false};
    std::atomic<long> churned{0};
    std::thread churn([&] {
        HostileClient other(server_->display());
        if (!other.ok()) return;
        // About twenty live at any time; each lives for twenty creations.
        std::deque<xcb_window_t> live;
        for (long i = 0; !stop.load(); ++i) {
            const auto w = other.create();
            other.set_net_name(w, "Churn " + std::to_string(i % 50) + " - Mozilla");
            live.push_back(w);
            if (live.size() > 20) {
                other.destroy(live.front());
                live.pop_front();
            }
            if (i % 7 == 0) other.set_net_name(live.back(), "Churn retitled - Netscape");
            // One round trip each: as fast as the server takes them, no
            // faster (an unpaced flood only measures how far the adapter's
            // event queue can grow).
            other.sync();
            churned = i + 1;
        }
        other.sync();
    });

    test::FakeFileSystem files;
    files.add_folder("/opt/vorlix");
    files.add_file("/opt/vorlix/Vorlix.dat", "Churn 1\r\nChurn 2\r\nChurn 3\r\n");
    World world(files, "/opt/vorlix", ws_.get());
    world.start();

    const long rounds = scaled(200, 40);
    double worst_tick_ms = 0;
    std::size_t most_walked = 0;
    for (long r = 0; r < rounds; ++r) {
        most_walked = std::max(most_walked, walk(*ws_).size());
        for (int i = 0; i < 50; ++i)
            (void)ws_->find_by_title("Churn " + std::to_string(i) + " - Mozilla");
        const auto t0 = Clock::now();
        ASSERT_TRUE(world.tick());
        worst_tick_ms = std::max(worst_tick_ms, ms_since(t0));
        ASSERT_FALSE(HasFatalFailure());
    }
    stop = true;
    churn.join();
    ASSERT_GT(churned.load(), 0);
    // Learned in whichever order the windows came, each name once, and
    // only names the windows really carried.
    std::vector<std::string> names = world.state().browser_names;
    ASSERT_GE(names.size(), 2u);
    EXPECT_EQ(names[0], kIe);
    std::sort(names.begin() + 1, names.end());
    EXPECT_EQ(std::adjacent_find(names.begin(), names.end()), names.end());
    EXPECT_TRUE(std::binary_search(names.begin() + 1, names.end(), std::string("Mozilla")));
    for (std::size_t i = 1; i < names.size(); ++i) {
        EXPECT_TRUE(names[i] == "Mozilla" || names[i] == "Netscape") << names[i];
    }

    // Once the other client is gone, so are its windows: nothing stale is
    // walked or found.
    ASSERT_TRUE(client_->sync());
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    for (const Seen& s : walk(*ws_))
        EXPECT_EQ(s.title.find("Churn "), std::string::npos) << s.title;
    for (int i = 0; i < 50; ++i) {
        EXPECT_EQ(ws_->find_by_title("Churn " + std::to_string(i) + " - Mozilla"), 0u);
    }
    std::printf(
        "[x11] %ld windows created and destroyed during %ld walks and scan ticks; at most %zu "
        "windows in one walk; slowest tick %.1f ms\n",
        churned.load(), rounds, most_walked, worst_tick_ms);
    EXPECT_LT(worst_tick_ms, kIntervalMs);
}

}  // namespace
}  // namespace vorlix::reliability
