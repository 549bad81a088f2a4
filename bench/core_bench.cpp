// The core's share of the work at the largest blacklist: loading it in
// order, writing the file, and the scanner's walk with a look-up that costs
// nothing, so that what is left is the walk itself; and the walk over a
// title index as the window systems keep it, with the allocations it makes.
#include <cstdlib>
#include <filesystem>
#include <new>
#include <unordered_map>

#include "adapters/posix/posix_file_system.h"
#include "base/text.h"
#include "base/title_index.h"
#include "bench_util.h"
#include "core/file_rewrite.h"
#include "core/lines.h"
#include "core/scanner.h"
#include "core/sorted_list.h"
#include "support/support.h"

using namespace vorlix;

namespace {
long allocations = 0;  // by this one-threaded program, through operator new
}  // namespace

void* operator new(std::size_t size) {
    ++allocations;
    if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}

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
    TitleIndex index;
    const std::vector<std::string> names = {"Microsoft Internet Explorer", "Mozilla", "Netscape 6"};
    for (int i = 0; i < 200; ++i) {
        const std::string t = titles[static_cast<std::size_t>(i)] + " - " + names[i % 3];
        windows[text::fold_case(t)] = 1;
        index.insert(static_cast<TitleIndex::Id>(i + 1), text::title_key(t), i);
    }
    long lookups = 0, hits = 0;
    core::scanner::Hooks hooks;
    hooks.find = [&](const std::string& candidate) {
        ++lookups;
        const auto it = windows.find(text::fold_case(candidate));
        return it == windows.end() ? platform::WindowId{0} : it->second;
    };
    hooks.post_close = [&](platform::WindowId) { return ++hits, true; };
    hooks.yield = [] { return false; };  // a pass skipped, as a paced toolkit mostly does
    hooks.killed = [](double) {};
    auto walk_row = [&](const std::string& what, const core::SortedList& bl) {
        core::scanner::WalkKeys keys;
        double kills = 0;
        core::scanner::walk(bl, names, 0, kills, hooks, keys);  // keys taken once, as between ticks
        lookups = hits = 0;
        const long allocations0 = allocations;
        core::scanner::walk(bl, names, 0, kills, hooks, keys);
        const double pairs = static_cast<double>(bl.count()) * static_cast<double>(names.size());
        const double per_pair = static_cast<double>(allocations - allocations0) / pairs;
        const long found = hits, asked = lookups;
        const double ms =
            bench::median_ms(9, [&] { core::scanner::walk(bl, names, 0, kills, hooks, keys); });
        bench::row("core", what, ms, "ms", "", "-",
                   bench::fixed(ms * 1e6 / pairs, 1) + " ns per pair; " +
                       bench::fixed(per_pair, 2) + " allocations per pair; " +
                       std::to_string(asked) + " looked up; " + std::to_string(found) + " found");
    };
    walk_row("scanner walk, candidate built, folded, hashed; no yield; 32767 x 3, 200 win", list);
    hooks.find_keys = [&](const TitleKey& t, const TitleKey& suffix) {
        ++lookups;
        return std::optional<platform::WindowId>(index.find(t, suffix));
    };
    walk_row("scanner walk, keyed look-up in the title index; no yield; 32767 x 3, 200 win", list);
    hooks.title_index = [&] { return &index; };
    walk_row("scanner walk, only pairs the index shows a window for looked up; 32767 x 3, 200 win",
             list);
    core::SortedList typical;
    (void)typical.add_all(std::vector<std::string>(entries.begin(), entries.begin() + 100));
    walk_row("scanner walk, the same; 100 x 3, 200 win", typical);

    // The floor: the same probes from keys already at hand, no walk at all.
    std::vector<TitleKey> heads, tails;
    for (int i = 0; i < kTitles; ++i)
        heads.emplace_back(text::title_key(core::entry_title(list.at(i))));
    for (const auto& n : names) tails.emplace_back(text::title_key(" - " + n));
    long found = 0;
    const double floor = bench::median_ms(9, [&] {
        found = 0;
        for (const auto& h : heads)
            for (const auto& t : tails) found += index.find(h, t) != 0;
    });
    bench::row("core", "floor: 32767 x 3 probes of the title index, nothing else", floor, "ms", "",
               "-", std::to_string(found) + " found");
    return 0;
}
