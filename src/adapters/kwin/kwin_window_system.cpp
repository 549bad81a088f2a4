#include "adapters/kwin/kwin_window_system.h"

#include <poll.h>
#include <wayland-client.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <unordered_map>
#include <utility>
#include <vector>

#include "base/text.h"
#include "base/title_index.h"
#include "plasma-window-management-client-protocol.h"
#include "platform/yield_pacer.h"

namespace vorlix::adapters::kwin {
namespace {

struct DisplayDeleter {
    void operator()(wl_display* d) const noexcept { wl_display_disconnect(d); }
};
struct RegistryDeleter {
    void operator()(wl_registry* r) const noexcept { wl_registry_destroy(r); }
};
struct ManagerDeleter {
    // The manager has no destructor request: dropping the proxy is all.
    void operator()(org_kde_plasma_window_management* m) const noexcept {
        org_kde_plasma_window_management_destroy(m);
    }
};
struct WindowDeleter {
    void operator()(org_kde_plasma_window* w) const noexcept { org_kde_plasma_window_destroy(w); }
};
using Display = std::unique_ptr<wl_display, DisplayDeleter>;
using Registry = std::unique_ptr<wl_registry, RegistryDeleter>;
using Manager = std::unique_ptr<org_kde_plasma_window_management, ManagerDeleter>;
using WindowProxy = std::unique_ptr<org_kde_plasma_window, WindowDeleter>;

// KWin 5.27 announces windows by uuid only (version 13 on); 16 is the
// version Plasma 5.27 offers, and later ones keep what this adapter uses.
constexpr std::uint32_t kOldest = 13, kNewest = 16;

constexpr std::chrono::milliseconds kReadEvery{1};

constexpr const char* kNoWindows = "No windows: ";  // notices fit the panel: about 45 characters

constexpr auto kIgnore = [](auto...) {};

}  // namespace

struct KWinWindowSystem::State {
    struct Window {
        State* state = nullptr;
        platform::WindowId id = 0;
        std::string uuid;
        WindowProxy proxy;
        bool ready = false;     // KWin has sent its initial state
        std::string raw_title;  // as the client set it, for the X11 route
        std::string title;      // as this program reads titles
        platform::WindowId parent = 0;
        std::uint32_t pid = 0;
        TitleIndex::Rank rank = 0;
    };

    CloseXWindow close_x;
    std::uint32_t own_pid = 0;
    // Declared first, so destroyed last: every proxy goes before the display.
    Display display;
    Registry registry;
    Manager manager;
    std::uint32_t manager_name = 0;
    bool kwin = false;      // the compositor offers KWin's own interfaces
    std::string withdrawn;  // why KWin no longer lists its windows
    std::uint64_t trips = 0;
    std::unordered_map<platform::WindowId, std::unique_ptr<Window>> windows;
    std::unordered_map<std::string, platform::WindowId> by_uuid;
    std::unordered_map<std::string, TitleIndex::Rank> stacked;  // uuid -> rank, topmost 0
    TitleIndex titles;
    std::vector<platform::WindowId> snapshot;                      // the last walk
    std::unordered_map<platform::WindowId, std::size_t> position;  // in snapshot
    platform::WindowId next_id = 0;
    TitleIndex::Rank unstacked = 0;  // counts down: the newest unstacked window first
    std::chrono::steady_clock::time_point last_read{};
    platform::YieldPacer keyed_lookups;  // when one of them pumps
    bool keyed_live = false;             // live() at that moment

    wl_display* d() const { return display.get(); }
    bool live() const { return display && wl_display_get_error(d()) == 0; }

    void round_trip() {
        ++trips;
        wl_display_roundtrip(d());
    }

    // Handles what KWin has already sent. Reading the socket is a system
    // call and a scan makes tens of thousands of look-ups, so the socket is
    // read at most once a millisecond unless `force`d.
    void pump(bool force = false) {
        if (!live()) return;
        const auto now = std::chrono::steady_clock::now();
        if (force || now - last_read >= kReadEvery) {
            last_read = now;
            while (wl_display_prepare_read(d()) != 0)
                if (wl_display_dispatch_pending(d()) < 0) return;  // lost meanwhile
            wl_display_flush(d());
            pollfd p{wl_display_get_fd(d()), POLLIN, 0};
            if (::poll(&p, 1, 0) > 0) {
                wl_display_read_events(d());
            } else {
                wl_display_cancel_read(d());
            }
        }
        wl_display_dispatch_pending(d());
    }

    void file(const Window& w) {
        // Untitled windows are never looked up.
        const std::string key = text::title_key(w.raw_title);
        if (!w.ready || key.empty()) {
            titles.remove(w.id);
        } else {
            titles.insert(w.id, key, w.rank);
        }
    }

    void restack(std::string_view uuids) {
        std::vector<std::string_view> order;  // bottom first, as KWin sends it
        for (std::size_t at = 0; at <= uuids.size();) {
            const std::size_t end = std::min(uuids.find(';', at), uuids.size());
            if (end > at) order.push_back(uuids.substr(at, end - at));
            at = end + 1;
        }
        stacked.clear();
        for (std::size_t i = 0; i < order.size(); ++i)
            stacked.emplace(order[i], static_cast<TitleIndex::Rank>(order.size() - 1 - i));
        for (auto& [id, w] : windows) {
            const auto at = stacked.find(w->uuid);
            if (at != stacked.end()) w->rank = at->second;
            file(*w);
        }
    }

    void forget(platform::WindowId id) {
        const auto it = windows.find(id);
        if (it == windows.end()) return;
        titles.remove(id);
        by_uuid.erase(it->second->uuid);
        windows.erase(it);
    }

    void withdraw(std::string why) {
        withdrawn = std::move(why);
        titles.clear();
        windows.clear();
        by_uuid.clear();
        manager.reset();
        manager_name = 0;
    }

    const Window* known(platform::WindowId w) {
        pump();
        if (!live()) return nullptr;
        const auto it = windows.find(w);
        return it != windows.end() && it->second->ready ? it->second.get() : nullptr;
    }
};

namespace {

using Window = KWinWindowSystem::State::Window;

Window& of(void* data) {
    return *static_cast<Window*>(data);
}

constexpr org_kde_plasma_window_listener kWindowEvents = {
    .title_changed =
        [](void* data, org_kde_plasma_window*, const char* title) {
            Window& w = of(data);
            w.raw_title = title != nullptr ? title : "";
            w.title = text::normalize_title(w.raw_title);
            w.state->file(w);
        },
    .app_id_changed = kIgnore,
    .state_changed = kIgnore,
    .virtual_desktop_changed = kIgnore,
    .themed_icon_name_changed = kIgnore,
    .unmapped = [](void* data, org_kde_plasma_window*) { of(data).state->forget(of(data).id); },
    .initial_state =
        [](void* data, org_kde_plasma_window*) {
            of(data).ready = true;
            of(data).state->file(of(data));
        },
    .parent_window =
        [](void* data, org_kde_plasma_window*, org_kde_plasma_window* parent) {
            void* p = parent != nullptr ? org_kde_plasma_window_get_user_data(parent) : nullptr;
            of(data).parent = p != nullptr ? of(p).id : 0;
        },
    .geometry = kIgnore,
    .icon_changed = kIgnore,
    .pid_changed = [](void* data, org_kde_plasma_window*,
                      std::uint32_t pid) { of(data).pid = pid; },
    .virtual_desktop_entered = kIgnore,
    .virtual_desktop_left = kIgnore,
    .application_menu = kIgnore,
    .activity_entered = kIgnore,
    .activity_left = kIgnore,
    .resource_name_changed = kIgnore,
};

constexpr org_kde_plasma_window_management_listener kManagerEvents = {
    .show_desktop_changed = kIgnore,
    .window = kIgnore,  // older KWins; 5.27 sends window_with_uuid alone
    .stacking_order_changed = kIgnore,
    .stacking_order_uuid_changed =
        [](void* data, org_kde_plasma_window_management*, const char* uuids) {
            static_cast<KWinWindowSystem::State*>(data)->restack(uuids != nullptr ? uuids : "");
        },
    .window_with_uuid =
        [](void* data, org_kde_plasma_window_management* manager, std::uint32_t, const char* uuid) {
            auto& s = *static_cast<KWinWindowSystem::State*>(data);
            if (uuid == nullptr || s.by_uuid.contains(uuid)) return;
            auto w = std::make_unique<Window>();
            w->state = &s;
            w->id = ++s.next_id;
            w->uuid = uuid;
            const auto at = s.stacked.find(w->uuid);
            w->rank = at != s.stacked.end() ? at->second : --s.unstacked;
            w->proxy.reset(org_kde_plasma_window_management_get_window_by_uuid(manager, uuid));
            org_kde_plasma_window_add_listener(w->proxy.get(), &kWindowEvents, w.get());
            s.by_uuid.emplace(w->uuid, w->id);
            s.windows.emplace(w->id, std::move(w));
        },
};

constexpr wl_registry_listener kRegistryEvents = {
    .global =
        [](void* data, wl_registry* registry, std::uint32_t name, const char* interface,
           std::uint32_t version) {
            auto& s = *static_cast<KWinWindowSystem::State*>(data);
            if (std::strncmp(interface, "org_kde_kwin_", 13) == 0) s.kwin = true;
            if (s.manager ||
                std::strcmp(interface, org_kde_plasma_window_management_interface.name) != 0 ||
                version < kOldest)
                return;
            s.manager.reset(static_cast<org_kde_plasma_window_management*>(
                wl_registry_bind(registry, name, &org_kde_plasma_window_management_interface,
                                 std::min(version, kNewest))));
            s.manager_name = name;
            org_kde_plasma_window_management_add_listener(s.manager.get(), &kManagerEvents, &s);
        },
    .global_remove =
        [](void* data, wl_registry*, std::uint32_t name) {
            auto& s = *static_cast<KWinWindowSystem::State*>(data);
            if (s.manager && name == s.manager_name)
                s.withdraw(std::string(kNoWindows) + "KWin withdrew its list");
        },
};

}  // namespace

Result<std::unique_ptr<KWinWindowSystem>> KWinWindowSystem::open(const char* display_name,
                                                                 CloseXWindow close_x,
                                                                 std::uint32_t own_pid) {
    const char* shown = display_name != nullptr ? display_name : std::getenv("WAYLAND_DISPLAY");
    if (shown == nullptr || *shown == '\0') return Error{"No Wayland display"};
    auto s = std::make_unique<State>();
    s->close_x = std::move(close_x);
    s->own_pid = own_pid;
    s->display.reset(wl_display_connect(display_name));
    if (!s->display)
        return Error{std::string("Cannot connect to the Wayland display \"") + shown + "\" (" +
                     std::strerror(errno) + ")"};
    s->registry.reset(wl_display_get_registry(s->d()));
    wl_registry_add_listener(s->registry.get(), &kRegistryEvents, s.get());
    s->round_trip();  // the globals
    if (!s->manager && s->kwin) return Error{kRefused, EACCES};
    if (!s->manager)
        return Error{std::string("The Wayland compositor \"") + shown +
                     "\" offers no KDE window list"};
    s->round_trip();  // the windows open now and the stacking order
    s->round_trip();  // their initial state
    if (!s->live()) return Error{std::string("Lost the Wayland display \"") + shown + "\""};
    return std::unique_ptr<KWinWindowSystem>(new KWinWindowSystem(std::move(s)));
}

KWinWindowSystem::KWinWindowSystem(std::unique_ptr<State> state) : s_(std::move(state)) {}
KWinWindowSystem::~KWinWindowSystem() = default;

platform::WindowId KWinWindowSystem::first_top_level(platform::WindowId /*from*/) {
    s_->pump(/*force=*/true);
    s_->snapshot.clear();
    s_->position.clear();
    if (!s_->live()) return 0;
    for (const auto& [id, w] : s_->windows)
        if (w->ready && (w->pid != s_->own_pid || w->pid == 0)) s_->snapshot.push_back(id);
    std::sort(s_->snapshot.begin(), s_->snapshot.end(),
              [this](platform::WindowId a, platform::WindowId b) {
                  const auto ra = s_->windows.at(a)->rank, rb = s_->windows.at(b)->rank;
                  return ra != rb ? ra < rb : a > b;
              });
    for (std::size_t i = 0; i < s_->snapshot.size(); ++i) s_->position.emplace(s_->snapshot[i], i);
    return s_->snapshot.empty() ? 0 : s_->snapshot.front();
}

platform::WindowId KWinWindowSystem::next_top_level(platform::WindowId w) {
    s_->pump();
    const auto at = s_->position.find(w);
    if (!s_->live() || at == s_->position.end() || !s_->windows.contains(w)) return 0;
    // Windows closed since the walk began are passed over.
    for (std::size_t i = at->second + 1; i < s_->snapshot.size(); ++i)
        if (s_->windows.contains(s_->snapshot[i])) return s_->snapshot[i];
    return 0;
}

bool KWinWindowSystem::is_visible(platform::WindowId w) {
    return s_->known(w) != nullptr;
}

platform::WindowId KWinWindowSystem::owner(platform::WindowId w) {
    const auto* k = s_->known(w);
    if (k == nullptr || k->parent == w || !s_->windows.contains(k->parent)) return 0;
    return k->parent;
}

std::string KWinWindowSystem::title(platform::WindowId w) {
    const auto* k = s_->known(w);
    return k != nullptr ? k->title : std::string();
}

platform::WindowId KWinWindowSystem::find_by_title(std::string_view title) {
    s_->pump();
    if (!s_->live()) return 0;
    return s_->titles.find(text::title_key(title));
}

std::optional<platform::WindowId> KWinWindowSystem::find_by_keys(const TitleKey& head,
                                                                 const TitleKey& tail) {
    // A scan makes tens of thousands of these; even the dispatch of events
    // already read is made only once a millisecond.
    if (s_->keyed_lookups.due()) {
        s_->pump();
        s_->keyed_live = s_->live();
    }
    if (!s_->keyed_live) return 0;
    return s_->titles.find(head, tail);
}

const TitleIndex* KWinWindowSystem::title_index() {
    s_->pump();
    s_->keyed_live = s_->live();
    return s_->keyed_live ? &s_->titles : nullptr;
}

bool KWinWindowSystem::post_close(platform::WindowId w) {
    const auto* k = s_->known(w);
    if (k == nullptr) return false;
    if (s_->close_x) {
        if (const auto sent = s_->close_x(k->raw_title)) return *sent;
    }
    org_kde_plasma_window_close(k->proxy.get());
    wl_display_flush(s_->d());
    return true;
}

std::string KWinWindowSystem::notice() const {
    if (!s_->live()) return std::string(kNoWindows) + "lost the Wayland display";
    return s_->withdrawn;
}

int KWinWindowSystem::event_fd() const {
    return s_->live() ? wl_display_get_fd(s_->d()) : -1;
}

void KWinWindowSystem::process_events() {
    s_->pump(/*force=*/true);
}

std::uint64_t KWinWindowSystem::round_trips() const {
    return s_->trips;
}

}  // namespace vorlix::adapters::kwin
