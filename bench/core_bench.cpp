// The core's share of the work at the largest blacklist: loading it in
// order, writing the file, and the scanner's walk with a look-up that costs
// nothing, so that what is left is the walk itself.
#include <filesystem>
#include <unordered_map>

#include "adapters/posix/posix_file_system.h"
#include "base/text.h"
#include "bench_util.h"
#include "core/file_rewrite.h"
#include "core/lines.h"
#include "core/scanner.h"
#include "core/sorted_list.h"
#include "support/support.h"

using namespace vorlix;

int main() {
    constexpr int kTitles = core::SortedList::kMaxEntries;
    const auto titles = bench::make_titles(kTitles);
    std::vector<std::string> entries;
    for (const auto& t : titles) entries.push_back(core::make_entry(t));

    bench::row("core", "core::SortedList::add one by one, 32767 entries",
               bench::median_ms(3,
                                [&] {
                                    core::SortedList list;
                                    for (const auto& e : entries) (void)list.add(e);
                                }),
               "ms");
    bench::row("core", "core::SortedList::add_all, 32767 entries",
               bench::median_ms(5,
                                [&] {
                                    core::SortedList list;
                                    (void)list.add_all(entries);
                                }),
               "ms");

    core::SortedList list;
    (void)list.add_all(entries);
    std::string bytes;
    bench::row("core", "file bytes from the list, 32767 lines",
               bench::median_ms(9,
                                [&] {
                                    bytes.clear();
                                    for (const auto& e : list.entries())
                                        core::lines::append_line(bytes, core::entry_title(e));
                                }),
               "ms");

    const test::TempDir dir;
    adapters::posix::PosixFileSystem fs;
    const std::string path = dir.file("Vorlix.dat");
    bench::row(
        "core",
        "core::rewrite_file (new file, fsync, rename), " + std::to_string(bytes.size()) + " bytes",
        bench::median_ms(9,
                         [&] {
                             if (!core::rewrite_file(fs, path, bytes)) std::abort();
                         }),
        "ms");

    // A look-up table like the window systems keep: folded title to window.
    std::unordered_map<std::string, platform::WindowId> windows;
    for (int i = 0; i < 200; ++i)
        windows[text::fold_case(titles[static_cast<std::size_t>(i)] + " - Mozilla")] = 1;
    const std::vector<std::string> names = {"Microsoft Internet Explorer", "Mozilla", "Netscape 6"};
    double kills = 0;
    long lookups = 0;
    core::scanner::Hooks hooks;
    hooks.find = [&](const std::string& candidate) {
        ++lookups;
        const auto it = windows.find(text::fold_case(candidate));
        return it == windows.end() ? platform::WindowId{0} : it->second;
    };
    hooks.post_close = [](platform::WindowId) { return true; };
    hooks.yield = [] {};
    hooks.killed = [](double) {};
    const double walk =
        bench::median_ms(5, [&] { core::scanner::walk(list, names, 0, kills, hooks); });
    bench::row(
        "core", "scanner walk, hash look-up, no yield, 32767 x 3 names", walk, "ms", "", "-",
        bench::fixed(walk * 1e6 / (static_cast<double>(lookups) / 5.0), 1) + " ns per look-up");
    return 0;
}
