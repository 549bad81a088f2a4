// Random user actions, window changes and scan ticks, many of them run inside
// the program's own yields, with the program's promises checked whenever it
// is quiet again.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "program_fixture.h"

namespace vorlix::test {
namespace {

// Duplicates, letter case, blanks, brackets and bytes that are not UTF-8.
const Lines kTitles = {"Win a prize", "win a PRIZE",  "Casino", "",  " padded ",
                       "[x]",         "\xff\xfe odd", "A",      "a", "Offer"};
// Browser windows of known names, pages that teach names, other programs.
// clang-format off
const Lines kWindows = {"Win a prize - Microsoft Internet Explorer",
                        "casino - microsoft internet explorer", "News - Mozilla",
                        "Offer - Mozilla Firefox", "A - Netscape 6", "Terminal", "B - Mozilla - B"};
// clang-format on

class Torture : public ProgramFixture {
public:
    explicit Torture(unsigned start_value) : gen_(start_value) {
        put_file("Vorlix.dat", "");
        for (int i = 0; i < 4; ++i) windows.add(pick(kWindows));
        start();
    }

    // One action; deeper ones run inside a yield and schedule fewer of their own.
    void step(int depth) {
        injected += depth > 0 ? 1 : 0;
        const auto any = [&] { return windows.windows.at(below(windows.windows.size())).id; };
        const std::function<void()> actions[] = {
            [&] { tick(), tick(); },
            [&] { tick(); },
            [&] { add_title(pick(kTitles)); },
            [&] { remove_title(static_cast<int>(below(titles().size() + 1)) - 1); },
            [&] { main().events.Command_Timer_Click(); },
            [&] { main().events.Command_TimerS_Click(); },
            [&] { click_window_button(); },
            [&] { panel() != nullptr&& below(4) == 0 ? close_panel() : void(); },
            [&] { windows.add(pick(kWindows)); },
            [&] { windows.windows.empty() ? void() : windows.remove(any()); },
            [&] {
                windows.windows.empty() ? void()
                                        : void(windows.find(any())->title = pick(kWindows));
            },
            [&] { panel() ? void(panel()->check_iwindows = int(below(3))) : void(); },
            [&] { windows.close_on_request = below(2) == 0; },
            [&] { Timer_PosWindow() ? void(Timer_PosWindow()->fire()) : void(); },
        };
        actions[below(std::size(actions))]();
        for (int i = depth == 0 ? int(below(3)) : int(below(4) == 0); i > 0; --i) {
            toolkit.after_yields(1 + below(120), [this, depth] { step(depth + 1); });
        }
    }

    // The promises at a quiet moment.
    void check() {
        ASSERT_EQ(file("Vorlix.dat"), shown_blacklist_bytes());
        ASSERT_EQ(
            file("Vorlix_BrowserName.dat").value_or(""),
            state().browser_names == Lines{kIe} ? "" : core::lines::join(state().browser_names));
        ASSERT_EQ(disk.open_files, 0);
        Lines shown = state().shown_titles, listed = panel() ? window_titles() : Lines{};
        std::ranges::sort(shown), std::ranges::sort(listed);
        ASSERT_EQ(shown, listed) << "List_Window and the shown titles differ";
        ASSERT_EQ(toolkit.nested_scans, 0);
        ASSERT_EQ(state().kill_count, static_cast<double>(windows.close_requests.size()));
        const bool on = Timer_Destroy().enabled();
        ASSERT_EQ(std::tuple(main().lamp, main().active, main().suspended),
                  std::tuple(on ? app::Lamp::Waiting : app::Lamp::Suspended, on, !on));
        ASSERT_EQ(main().status.find("Could not"), std::string::npos) << main().status;
    }

    std::size_t below(std::size_t n) {
        return std::uniform_int_distribution<std::size_t>(0, n - 1)(gen_);
    }
    const std::string& pick(const Lines& from) { return from[below(from.size())]; }
    long injected = 0;

private:
    std::mt19937 gen_;
};

class ReentrancyTorture : public ::testing::TestWithParam<unsigned> {};

TEST_P(ReentrancyTorture, PromisesHoldAtEveryQuietPoint) {
    Torture t(GetParam());
    for (long s = 0; s < 2000 && !HasFailure(); ++s) {
        t.step(0);
        t.check();
    }
    EXPECT_GT(t.injected, 1000);  // really re-entrant, or it proved nothing
    EXPECT_GT(t.toolkit.nested_fires, 0);
    EXPECT_GT(t.state().kill_count, 0);
}

INSTANTIATE_TEST_SUITE_P(FixedStartValues, ReentrancyTorture,
                         ::testing::Values(1u, 20061104u, 0x7a11c0deu));

// The user closes the main window at a random yield, whatever runs then: the
// files on disk are what the user last saw.
TEST(ReentrancyClose, ClosingInsideAnyYieldLosesNoEdit) {
    long closed = 0;
    for (unsigned round = 0; round < 40 && !::testing::Test::HasFailure(); ++round) {
        Torture t(1000 + round);
        t.toolkit.after_yields(1 + static_cast<long>(t.below(8000)), [&t] { t.close_main(); });
        try {
            for (int s = 0; s < 1000; ++s) t.step(0);
            continue;
        } catch (const ProgramEnded&) {
            ++closed;
        }
        ASSERT_EQ(t.file("Vorlix.dat"), t.shown_blacklist_bytes()) << "round " << round;
    }
    EXPECT_GT(closed, 20);
}

}  // namespace
}  // namespace vorlix::test
