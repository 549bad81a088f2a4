#include "adapters/win32/win32_window_system.h"

#include <algorithm>
#include <utility>

#include "adapters/win32/win32_text.h"
#include "base/text.h"

namespace vorlix::adapters::win32 {

namespace {

// A bound on the reads of one title (in UTF-16 units), against a window that
// answers oddly; no real title comes near it.
constexpr int kLongestTitle = 1 << 24;

// The title as the window holds it, up to its first NUL. One call to the
// window server for a window of another process, as a pop-up is: a first
// read into room enough for almost every title, again only when it filled it.
std::string raw_title(HWND h) {
    wchar_t small[256];
    std::wstring large;
    wchar_t* buffer = small;
    int room = static_cast<int>(std::size(small));
    int copied = GetWindowTextW(h, buffer, room);
    while (copied >= room - 1 && room < kLongestTitle) {
        room *= 2;
        large.assign(static_cast<std::size_t>(room), L'\0');
        buffer = large.data();
        copied = GetWindowTextW(h, buffer, room);
    }
    if (copied <= 0) return {};
    // A window that answers WM_GETTEXT itself may count past a NUL: the
    // title ends there.
    const std::wstring_view text(buffer, static_cast<std::size_t>(copied));
    return narrow(text.substr(0, text.find(L'\0')));
}

// A window event's callback carries no pointer of ours: the window systems
// of this thread, by their hooks (the hooks deliver on this thread only).
thread_local std::vector<std::pair<HWINEVENTHOOK, Win32WindowSystem*>> listeners;

}  // namespace

std::string read_title(HWND h) {
    return text::normalize_title(raw_title(h));
}

Win32WindowSystem::Win32WindowSystem() {
    // Out of context: the events wait in this thread's queue until the
    // toolkit pumps, so the table never changes in the middle of a look-up.
    const std::pair<DWORD, DWORD> ranges[] = {{EVENT_OBJECT_CREATE, EVENT_OBJECT_HIDE},
                                              {EVENT_OBJECT_NAMECHANGE, EVENT_OBJECT_NAMECHANGE}};
    for (std::size_t i = 0; i < std::size(ranges); ++i) {
        hooks_[i] = SetWinEventHook(ranges[i].first, ranges[i].second, nullptr, &on_event, 0, 0,
                                    WINEVENT_OUTOFCONTEXT);
        if (hooks_[i] != nullptr) listeners.emplace_back(hooks_[i], this);
    }
}

Win32WindowSystem::~Win32WindowSystem() {
    for (HWINEVENTHOOK hook : hooks_) {
        if (hook == nullptr) continue;
        UnhookWinEvent(hook);
        std::erase(listeners, std::pair{hook, this});
    }
}

void CALLBACK Win32WindowSystem::on_event(HWINEVENTHOOK hook, DWORD event, HWND h, LONG object,
                                          LONG child, DWORD, DWORD) {
    if (object != OBJID_WINDOW || child != CHILDID_SELF || h == nullptr) return;
    const auto it = std::find_if(listeners.begin(), listeners.end(),
                                 [hook](const auto& l) { return l.first == hook; });
    if (it == listeners.end() || !it->second->built_) return;
    Win32WindowSystem& self = *it->second;
    if (event == EVENT_OBJECT_DESTROY) {
        self.titles_.remove(to_id(h));
    } else if (GetAncestor(h, GA_PARENT) == GetDesktopWindow()) {
        if (event == EVENT_OBJECT_CREATE) self.add_fresh(h);
        const std::string raw = raw_title(h);
        if (const auto at = self.walked_at_.find(h); at != self.walked_at_.end())
            self.walked_[at->second].title = text::normalize_title(raw);
        self.file(h, text::title_key(raw));
    }
}

void Win32WindowSystem::file(HWND h, std::string key) {
    if (const std::string* known = titles_.key_of(to_id(h)); known != nullptr && *known == key)
        return;
    titles_.insert(to_id(h), std::move(key), --filed_since_walk_);
}

void Win32WindowSystem::add_fresh(HWND h) {
    // Only a scan that is suspended (no walks) lets this grow: the gone
    // windows are dropped whenever it has doubled.
    if (fresh_.size() >= prune_at_) {
        std::erase_if(fresh_, [this](HWND w) {
            if (IsWindow(w)) return false;
            titles_.remove(to_id(w));
            return true;
        });
        prune_at_ = std::max<std::size_t>(kFirstPrune, 2 * fresh_.size());
    }
    fresh_.push_back(h);
}

platform::WindowId Win32WindowSystem::first_top_level(platform::WindowId /*from*/) {
    refresh_titles();
    return walked_.empty() ? 0 : to_id(walked_.front().h);
}

// From the walk's own list: each GetWindow is a call to the window server,
// and the window events say which windows have gone since.
platform::WindowId Win32WindowSystem::next_top_level(platform::WindowId w) {
    const auto at = walked_at_.find(to_hwnd(w));
    if (at == walked_at_.end()) return to_id(GetWindow(to_hwnd(w), GW_HWNDNEXT));
    for (std::size_t i = at->second + 1; i < walked_.size(); ++i)
        if (titles_.key_of(to_id(walked_[i].h)) != nullptr) return to_id(walked_[i].h);
    return 0;
}

// A top-level window's parent is the desktop, which is always shown: its own
// style says all, in one call where IsWindowVisible makes two under Wine.
bool Win32WindowSystem::is_visible(platform::WindowId w) {
    return (GetWindowLongPtrW(to_hwnd(w), GWL_STYLE) & WS_VISIBLE) != 0;
}

platform::WindowId Win32WindowSystem::owner(platform::WindowId w) {
    return to_id(GetWindow(to_hwnd(w), GW_OWNER));
}

// As the walk read it, or as a rename it was told of since.
std::string Win32WindowSystem::title(platform::WindowId w) {
    const auto at = walked_at_.find(to_hwnd(w));
    return at != walked_at_.end() ? walked_[at->second].title : read_title(to_hwnd(w));
}

void Win32WindowSystem::refresh_titles() {
    titles_.clear();
    filed_since_walk_ = 0;
    fresh_.clear();
    prune_at_ = kFirstPrune;
    walked_.clear();
    walked_at_.clear();
    // EnumWindows hands the top-level windows over in stacking order, so the
    // first window ranked under a title is the one FindWindow would return.
    EnumWindows(
        [](HWND h, LPARAM param) -> BOOL {
            auto& self = *reinterpret_cast<Win32WindowSystem*>(param);
            const std::string raw = raw_title(h);
            const auto rank = static_cast<TitleIndex::Rank>(self.walked_.size());
            self.titles_.insert(to_id(h), text::title_key(raw), rank);
            self.walked_at_.emplace(h, self.walked_.size());
            self.walked_.push_back({h, text::normalize_title(raw)});
            return TRUE;
        },
        reinterpret_cast<LPARAM>(this));
    built_ = true;
}

// A window gone reads as untitled, so only then is it asked whether it
// still exists: one call for a window that is there.
std::optional<std::string> Win32WindowSystem::key_now(HWND h) {
    std::string key = text::title_key(raw_title(h));
    if (key.empty() && IsWindow(h) == FALSE) {
        titles_.remove(to_id(h));
        return std::nullopt;
    }
    return key;
}

void Win32WindowSystem::refile_fresh() {
    std::erase_if(fresh_, [this](HWND h) {
        std::optional<std::string> key = key_now(h);
        if (key) file(h, *std::move(key));
        return !key;
    });
}

template <class Find, class Bears>
platform::WindowId Win32WindowSystem::confirmed(Find find, Bears bears) {
    if (!built_) refresh_titles();
    if (!fresh_.empty() && fresh_pacer_.due()) refile_fresh();
    // An event may not have arrived yet (and Wine sends few): a window may
    // have closed or been renamed since. Checking a hit costs one call and
    // hits are rare.
    for (platform::WindowId id = find(); id != 0; id = find()) {
        HWND h = to_hwnd(id);
        std::optional<std::string> now = key_now(h);
        if (now && bears(*now)) return id;
        if (now) file(h, *std::move(now));  // under the title it has now
    }
    return 0;
}

platform::WindowId Win32WindowSystem::find_by_title(std::string_view title) {
    const std::string key = text::title_key(title);
    return confirmed([&] { return titles_.find(key); },
                     [&](const std::string& now) { return now == key; });
}

std::optional<platform::WindowId> Win32WindowSystem::find_by_keys(const TitleKey& head,
                                                                  const TitleKey& tail) {
    return confirmed([&] { return titles_.find(head, tail); },
                     [&](const std::string& now) { return is_joined(now, head, tail); });
}

const TitleIndex* Win32WindowSystem::title_index() {
    if (!built_) refresh_titles();
    refile_fresh();
    return &titles_;
}

bool Win32WindowSystem::post_close(platform::WindowId w) {
    return PostMessageW(to_hwnd(w), WM_CLOSE, 0, 0) != FALSE;
}

}  // namespace vorlix::adapters::win32
