// Decisions about handlers that run inside another handler's yields, which
// the randomised run can check but not name.
#include <gtest/gtest.h>

#include <functional>

#include "program_fixture.h"

namespace vorlix::test {
namespace {

// A refresh of the hidden panel with two Mozilla windows, and inside each of
// its yields in turn the other handler that refreshes: a tick inside the
// window button's refresh must not count a half-filled list (so it closes
// the Mozilla window it finds), and the window button inside a tick's
// refresh must not add to the half-refilled list.
TEST(Reentrancy, ARefreshInterruptedAtAnyYieldNeitherMiscountsNorDoublesItsList) {
    const Lines all{"A - Mozilla", "B - Mozilla"};
    using Act = std::function<void(ProgramFixture&)>;
    const Act show = [](ProgramFixture& w) { w.click_window_button(); };
    const Act tick = [](ProgramFixture& w) { w.tick(); };
    for (const auto& [outer, inner] : {std::pair{show, tick}, std::pair{tick, show}}) {
        auto run = [&](long at, ProgramFixture& w) {
            w.put_file("Vorlix.dat", "A\r\n");
            w.put_file("Vorlix_BrowserName.dat", "Mozilla\r\n");
            w.start();
            w.click_window_button();
            for (const std::string& title : all) w.windows.add(title);
            const long before = w.toolkit.yields;
            if (at > 0) w.toolkit.after_yields(at, [&w, &inner] { inner(w); });
            outer(w);
            return w.toolkit.yields - before;
        };
        ProgramFixture plain;
        const long yields = run(0, plain);
        for (long at = 1; at <= yields; ++at) {
            ProgramFixture w;
            run(at, w);
            EXPECT_EQ(w.window_titles(), all) << "at yield " << at;
            EXPECT_EQ(w.windows.close_requests.size(), w.windows.lookups.size())
                << "at yield " << at;
        }
    }
}

}  // namespace
}  // namespace vorlix::test
