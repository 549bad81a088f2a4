// Small helpers shared by the benchmark programs: medians over several runs,
// the same test titles on every run, and the one row format that
// tools/bench.sh gathers into a table.
#pragma once

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <random>
#include <string>
#include <vector>

namespace vorlix::bench {

using Clock = std::chrono::steady_clock;

inline double ms_since(Clock::time_point t0) {
    return std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
}

inline double median(std::vector<double> v) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

inline double median_ms(int runs, const std::function<void()>& work) {
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        const auto t0 = Clock::now();
        work();
        times.push_back(ms_since(t0));
    }
    return median(times);
}

// Page titles of realistic length and mixed case, the same on every run.
inline std::vector<std::string> make_titles(int n, unsigned start = 1234) {
    std::mt19937 rng(start);
    std::uniform_int_distribution<int> len(8, 40), letter(0, 51), blank(0, 6);
    std::vector<std::string> out;
    out.reserve(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) {
        std::string t;
        const int l = len(rng);
        for (int k = 0; k < l; ++k) {
            if (k > 0 && blank(rng) == 0) {
                t += ' ';
            } else {
                const int c = letter(rng);
                t += static_cast<char>(c < 26 ? 'a' + c : 'A' + c - 26);
            }
        }
        out.push_back(std::move(t));
    }
    return out;
}

// Browser names for the benchmarks. None starts with Mozilla or Netscape, so
// no run learns a name and every run keeps the list it was given.
inline const std::vector<std::string>& browser_names() {
    static const std::vector<std::string> names = {"Microsoft Internet Explorer",
                                                   "Opera",
                                                   "Google Chrome",
                                                   "Microsoft Edge",
                                                   "Chromium",
                                                   "Safari",
                                                   "Konqueror",
                                                   "Vivaldi",
                                                   "Brave",
                                                   "Epiphany"};
    return names;
}

inline std::string fixed(double v, int decimals = 3) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.*f", decimals, v);
    return buf;
}

// One row of the table: | benchmark | case | median | unit | bar | met | note |
// `met` is "yes", "no" or "-" (no bar for this row).
inline void row(const std::string& bench, const std::string& what, double value,
                const std::string& unit, const std::string& bar = "", const std::string& met = "-",
                const std::string& note = "") {
    std::printf("| %s | %s | %s | %s | %s | %s | %s |\n", bench.c_str(), what.c_str(),
                fixed(value).c_str(), unit.c_str(), bar.empty() ? "-" : bar.c_str(), met.c_str(),
                note.c_str());
    std::fflush(stdout);
}

inline std::string met(bool ok) {
    return ok ? "yes" : "no";
}

// Progress for whoever watches, kept out of the table.
inline void progress(const char* text) {
    std::fputs(text, stderr);
    std::fputc('\n', stderr);
}
template <class... Args>
void progress(const char* format, Args... args) {
    std::fprintf(stderr, format, args...);
    std::fputc('\n', stderr);
}

}  // namespace vorlix::bench
