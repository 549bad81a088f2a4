// The top-level windows through user32. Titles are read with the wide
// functions so that no character is lost; look-ups by title are answered from
// a table of every top-level window's title, because a FindWindow call per
// candidate title is a round trip to the window server each time. The table
// is built at the start of each walk and kept current between walks by the
// window events (made, shown, hidden, renamed, destroyed) that arrive while
// the toolkit pumps messages.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "base/title_index.h"
#include "platform/window_system.h"
#include "platform/yield_pacer.h"

namespace vorlix::adapters::win32 {

inline HWND to_hwnd(platform::WindowId w) {
    return reinterpret_cast<HWND>(static_cast<std::uintptr_t>(w));
}
inline platform::WindowId to_id(HWND h) {
    return static_cast<platform::WindowId>(reinterpret_cast<std::uintptr_t>(h));
}

// The title of `h` as this program reads titles: GetWindowTextW up to the
// first NUL, as UTF-8, normalised; empty when there is none.
std::string read_title(HWND h);

class Win32WindowSystem final : public platform::WindowSystem {
public:
    Win32WindowSystem();
    ~Win32WindowSystem() override;
    Win32WindowSystem(const Win32WindowSystem&) = delete;
    Win32WindowSystem& operator=(const Win32WindowSystem&) = delete;

    platform::WindowId first_top_level(platform::WindowId from) override;
    platform::WindowId next_top_level(platform::WindowId w) override;
    bool is_visible(platform::WindowId w) override;
    platform::WindowId owner(platform::WindowId w) override;
    std::string title(platform::WindowId w) override;
    platform::WindowId find_by_title(std::string_view title) override;
    std::optional<platform::WindowId> find_by_keys(const TitleKey& head,
                                                   const TitleKey& tail) override;
    const TitleIndex* title_index() override;
    bool post_close(platform::WindowId w) override;
    std::string notice() const override { return {}; }

    // Rebuilds the title table now (first_top_level does it too).
    void refresh_titles();

private:
    static void CALLBACK on_event(HWINEVENTHOOK hook, DWORD event, HWND h, LONG object, LONG child,
                                  DWORD thread, DWORD time);
    // Files `h` under title key `key`; a window new to that key goes in front
    // of its equals, as a window just made or renamed is usually on top.
    void file(HWND h, std::string key);
    void add_fresh(HWND h);
    // The title key `h` bears now; nullopt (and out of the index) when the
    // window is gone.
    std::optional<std::string> key_now(HWND h);
    // Reads the titles of the windows made since the walk again.
    void refile_fresh();
    // The window `find` names once its title is read again and `bears` it.
    template <class Find, class Bears>
    platform::WindowId confirmed(Find find, Bears bears);

    // Every top-level window by its title, in stacking order at the walk
    // (ranks from 0); windows filed since rank before them (-1, -2, ...).
    TitleIndex titles_;
    // The windows of the last walk, topmost first, with their titles.
    struct Walked {
        HWND h;
        std::string title;
    };
    std::vector<Walked> walked_;
    std::unordered_map<HWND, std::size_t> walked_at_;
    TitleIndex::Rank filed_since_walk_ = 0;
    // Windows made since the walk. Wine announces a window's making but not
    // its later titles, so these are read again, at most once a millisecond.
    std::vector<HWND> fresh_;
    platform::YieldPacer fresh_pacer_;
    static constexpr std::size_t kFirstPrune = 256;
    std::size_t prune_at_ = kFirstPrune;
    HWINEVENTHOOK hooks_[2] = {};
    bool built_ = false;
};

}  // namespace vorlix::adapters::win32
