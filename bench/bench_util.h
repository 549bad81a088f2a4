// Small timing helpers shared by the benchmark programs: run a piece of work
// several times and report the median, so one noisy run does not decide.
#pragma once

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <random>
#include <string>
#include <vector>

namespace vorlix::bench {

inline double median_ms(int runs, const std::function<void()>& work) {
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        const auto t0 = std::chrono::steady_clock::now();
        work();
        const auto t1 = std::chrono::steady_clock::now();
        times.push_back(std::chrono::duration<double, std::milli>(t1 - t0).count());
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
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

inline void row(const std::string& what, const std::string& size, double ms,
                const std::string& note = "") {
    std::printf("| %-44s | %-22s | %10.3f | %s\n", what.c_str(), size.c_str(), ms, note.c_str());
}

inline void header(const char* title) {
    std::printf("\n%s\n| %-44s | %-22s | %10s | %s\n", title, "what", "size", "median ms", "note");
}

}  // namespace vorlix::bench
