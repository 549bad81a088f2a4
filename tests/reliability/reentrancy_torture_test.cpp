// Random user actions, window changes and scan ticks, many of them run inside
// the program's own yields, with the program's promises checked whenever it
// is quiet again.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "world.h"

namespace vorlix::reliability {
namespace {

constexpr const char* kFolder = "/opt/vorlix";

// Titles users add: duplicates, letter case, blanks, brackets and bytes
// that are not UTF-8 all occur.
const std::vector<std::string> kTitles = {
    "Win a prize", "win a PRIZE", "Casino", "casino",       "",           " padded ",
    "[x]",         "Zebra",       "News",   "\xff\xfe odd", "A",          "a",
    "B",           "Ümlaut",      "Offer",  "offer ",       "Click here",
};

// Window titles: browser windows of the known names, pages that teach new
// names, and other programs.
const std::vector<std::string> kWindowTitles = {
    "Win a prize - Microsoft Internet Explorer",
    "Casino - Microsoft Internet Explorer",
    "casino - microsoft internet explorer",
    "News - Mozilla",
    "Offer - Mozilla Firefox",
    "Click here - Netscape 6",
    "A - Netscape",
    "Terminal",
    "Editor - notes.txt",
    "Win a prize",
    "B - Mozilla - B",
    "Zebra - Netscape 6",
};

class Torture {
public:
    Torture(std::uint64_t start_value, long steps)
        : world_(files_, kFolder), gen_(start_value), steps_(steps) {
        files_.add_folder(kFolder);
        files_.add_file(world_.path("Vorlix.dat"), "");
        files_.add_file(world_.path("Vorlix_BrowserName.dat"), std::string(kIe) + "\r\n");
        for (int i = 0; i < 4; ++i) world_.windows.add(pick(kWindowTitles));
        world_.windows.add_with_id(kPanelId, "Vorlix window list");
        world_.start();
    }

    void run() {
        for (long step = 0; step < steps_ && !::testing::Test::HasFatalFailure(); ++step) {
            do_step(0);
            ++outer_steps_;
            check_quiet(step);
            if (::testing::Test::HasFailure()) break;
        }
    }

    // Runs steps until the user closes the main window inside yield number
    // `close_at` (counted from start-up); false when the steps ran out first.
    bool run_until_closed(long close_at) {
        world_.toolkit.on_yield(close_at, [this] {
            closed_unsaved_ =
                files_.file(world_.path("Vorlix.dat")) != world_.shown_blacklist_bytes();
            world_.main().close();
        });
        for (long step = 0; step < steps_; ++step) {
            try {
                do_step(0);
            } catch (const test::ProgramEnded&) {
                return true;
            }
            check_quiet(step);
            if (::testing::Test::HasFailure()) return false;
        }
        return false;
    }

    // After the end nothing is saved any more: what is on disk must be what
    // the user last saw.
    void check_files_current() {
        ASSERT_EQ(files_.file(world_.path("Vorlix.dat")), world_.shown_blacklist_bytes());
        ASSERT_EQ(files_.file(world_.path("Vorlix_BrowserName.dat")),
                  lines::join(world_.state().browser_names));
    }

    // Whether the list differed from the file when the user closed.
    bool closed_unsaved() const { return closed_unsaved_; }
    long outer_steps() const { return outer_steps_; }
    long injected_steps() const { return injected_steps_; }
    long saves() const { return saves_; }
    long yields() const { return world_.toolkit.yields(); }
    const ProbeToolkit& probe() const { return world_.probe; }
    double kills() const { return world_.state().kill_count; }

private:
    template <class T>
    const T& pick(const std::vector<T>& from) {
        return from[std::uniform_int_distribution<std::size_t>(0, from.size() - 1)(gen_)];
    }
    int below(int n) { return std::uniform_int_distribution<int>(0, n - 1)(gen_); }

    // One action. Depth 0 is the user at a quiet program; deeper actions run
    // inside a yield and may schedule fewer actions of their own.
    void do_step(int depth) {
        if (depth > 0) ++injected_steps_;
        auto& w = world_;
        switch (below(20)) {
            case 0:
            case 1:
            case 2:
                w.tick();
                break;
            case 3:
            case 4:
                w.main().type_title(pick(kTitles));
                if (below(2) == 0) {
                    w.main().click_add();
                } else {
                    w.main().key_down(app::kReturnKey);
                }
                break;
            case 5: {
                const int count = static_cast<int>(w.main().list().items().size());
                w.main().select_title(count == 0 ? -1 : below(count + 1) - 1);
                w.main().click_remove();
                break;
            }
            case 6: {
                const int count = static_cast<int>(w.main().list().items().size());
                w.main().select_title(count == 0 ? -1 : below(count));
                break;
            }
            case 7:
                w.main().click_active();
                break;
            case 8:
                w.main().click_suspended();
                break;
            case 9:
                w.main().click_window_button();
                break;
            case 10:
                if (below(4) == 0 && w.panel() != nullptr) w.panel()->close();
                break;
            case 11:
                w.windows.add(pick(kWindowTitles));
                break;
            case 12:
            case 13: {
                const auto& all = w.windows.windows();
                if (!all.empty()) {
                    const auto id = pick(all).id;
                    if (id != kPanelId) w.windows.remove(id);
                }
                break;
            }
            case 14: {
                const auto& all = w.windows.windows();
                if (!all.empty()) {
                    const auto id = pick(all).id;
                    if (id != kPanelId) w.windows.retitle(id, pick(kWindowTitles));
                }
                break;
            }
            case 15: {
                const auto& all = w.windows.windows();
                if (!all.empty()) w.windows.raise(pick(all).id);
                break;
            }
            case 16:
                if (auto* dock = w.Timer_PosWindow()) dock->fire();
                break;
            case 17:
                if (auto* panel = w.panel()) {
                    const int count = static_cast<int>(panel->list().items().size());
                    if (count > 0) panel->select_window(below(count));
                }
                break;
            case 18:
                if (auto* panel = w.panel()) panel->set_Check_IWindows(below(3));
                break;
            case 19:
                w.windows.set_close_on_request(below(2) == 0);
                break;
        }
        // Actions that fall due inside later yields of whatever runs next.
        const int inject = depth == 0 ? below(3) : (below(4) == 0 ? 1 : 0);
        for (int i = 0; i < inject; ++i) {
            world_.toolkit.after_yields(1 + below(120), [this, depth] { do_step(depth + 1); });
        }
    }

    void check_quiet(long step) {
        auto& w = world_;
        SCOPED_TRACE("step " + std::to_string(step));
        ASSERT_EQ(w.probe.tick_depth(), 0);

        // The blacklist file equals the list (the list as shown and as the
        // program keeps it).
        const std::vector<std::string>& shown = w.main().list().items();
        ASSERT_EQ(shown, w.list_title().entries());
        ASSERT_EQ(files_.file(w.path("Vorlix.dat")), w.shown_blacklist_bytes());
        ASSERT_EQ(files_.file(w.path("Vorlix_BrowserName.dat")),
                  lines::join(w.state().browser_names));
        ASSERT_EQ(files_.open_files(), 0);

        // List_Window and the shown-titles list hold the same titles.
        std::vector<std::string> titles = w.state().shown_titles;
        std::vector<std::string> listed;
        if (auto* panel = w.panel()) listed = panel->list().items();
        std::sort(titles.begin(), titles.end());
        std::sort(listed.begin(), listed.end());
        ASSERT_EQ(titles, listed);

        // No scan started inside another; kills only grow and each is one
        // close request.
        ASSERT_EQ(w.probe.nested_scans(), 0);
        ASSERT_GE(w.state().kill_count, last_kills_);
        ASSERT_EQ(w.state().kill_count, static_cast<double>(w.windows.close_requests().size()));
        last_kills_ = w.state().kill_count;

        // Lamp and pictures show the timer's state.
        if (w.Timer_Destroy().enabled()) {
            ASSERT_EQ(w.main().lamp(), app::kLampGreen);
            ASSERT_TRUE(w.main().active_visible());
            ASSERT_FALSE(w.main().suspended_visible());
        } else {
            ASSERT_EQ(w.main().lamp(), app::kLampYellow);
            ASSERT_FALSE(w.main().active_visible());
            ASSERT_TRUE(w.main().suspended_visible());
        }
        ASSERT_EQ(w.main().status().find("Could not"), std::string::npos) << w.main().status();

        for (const auto& call : files_.calls_of(test::FsOp::replace)) {
            if (call.to == w.path("Vorlix.dat")) ++saves_;
        }
        files_.clear_calls();
    }

    test::FakeFileSystem files_;
    World world_;
    std::mt19937_64 gen_;
    long steps_;
    long outer_steps_ = 0;
    long injected_steps_ = 0;
    long saves_ = 0;
    double last_kills_ = 0;
    bool closed_unsaved_ = false;
};

class ReentrancyTorture : public ::testing::TestWithParam<std::uint64_t> {};

TEST_P(ReentrancyTorture, PromisesHoldAtEveryQuietPoint) {
    Torture torture(GetParam(), scaled(10000, 500));
    torture.run();
    const auto& probe = torture.probe();
    std::printf(
        "[torture %llu] steps run %ld, injected inside yields %ld, yields %ld, blacklist saves "
        "%ld, ticks %ld (%ld fell due inside a tick and were skipped), kills %.0f\n",
        static_cast<unsigned long long>(GetParam()), torture.outer_steps(),
        torture.injected_steps(), torture.yields(), torture.saves(), probe.tick_calls(),
        probe.nested_tick_calls(), torture.kills());
    // The run must really have been re-entrant, or it proved nothing.
    EXPECT_GT(torture.injected_steps(), torture.outer_steps() / 2);
    EXPECT_GT(probe.nested_tick_calls(), 0);
    EXPECT_GT(torture.saves(), 100);
    EXPECT_GT(torture.kills(), 0);
}

// The user closes the main window at a random yield, whatever is running
// then (a save, a scan, a refresh, all nested in each other).
TEST(ReentrancyClose, ClosingInsideAnyYieldLosesNoEdit) {
    std::mt19937_64 gen(7);
    const long rounds = scaled(200, 20);
    long closed = 0;
    long unsaved = 0;
    for (long round = 0; round < rounds; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        Torture torture(1000 + static_cast<std::uint64_t>(round), 2000);
        const long close_at = torture.yields() + std::uniform_int_distribution<long>(1, 20000)(gen);
        if (!torture.run_until_closed(close_at)) {
            ASSERT_FALSE(::testing::Test::HasFailure());
            continue;
        }
        ++closed;
        unsaved += torture.closed_unsaved() ? 1 : 0;
        torture.check_files_current();
        if (::testing::Test::HasFailure()) return;
    }
    std::printf(
        "[torture] closed inside a yield %ld times out of %ld runs, %ld of them with an edit "
        "not yet saved; no edit lost\n",
        closed, rounds, unsaved);
    EXPECT_GT(closed, rounds / 2);
}

INSTANTIATE_TEST_SUITE_P(FixedStartValues, ReentrancyTorture,
                         ::testing::Values(1u, 20061104u, 0x7a11c0deu));

}  // namespace
}  // namespace vorlix::reliability
