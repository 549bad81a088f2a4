#include "adapters/wayland/wayland_window_system.h"

#include <poll.h>
#include <wayland-client.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <unordered_map>
#include <utility>
#include <vector>

#include "base/text.h"
#include "base/title_index.h"
#include "platform/yield_pacer.h"
#include "wlr-foreign-toplevel-management-unstable-v1-client-protocol.h"

namespace vorlix::adapters::wayland {
namespace {

struct DisplayDeleter {
    void operator()(wl_display* d) const noexcept { wl_display_disconnect(d); }
};
struct RegistryDeleter {
    void operator()(wl_registry* r) const noexcept { wl_registry_destroy(r); }
};
struct ManagerDeleter {
    // The manager has no destructor request: dropping the proxy is all.
    void operator()(zwlr_foreign_toplevel_manager_v1* m) const noexcept {
        zwlr_foreign_toplevel_manager_v1_destroy(m);
    }
};
struct HandleDeleter {
    void operator()(zwlr_foreign_toplevel_handle_v1* h) const noexcept {
        zwlr_foreign_toplevel_handle_v1_destroy(h);
    }
};
using Display = std::unique_ptr<wl_display, DisplayDeleter>;
using Registry = std::unique_ptr<wl_registry, RegistryDeleter>;
using Manager = std::unique_ptr<zwlr_foreign_toplevel_manager_v1, ManagerDeleter>;
using Handle = std::unique_ptr<zwlr_foreign_toplevel_handle_v1, HandleDeleter>;

// Versions 1 to 3 differ only in what this adapter does not use, apart from
// the parent event, which version 3 brought.
constexpr std::uint32_t kManagerVersion = 3;

constexpr std::chrono::milliseconds kReadEvery{1};

constexpr const char* kNoWindows = "No windows: ";  // notices fit the panel: about 45 characters

}  // namespace

struct WaylandWindowSystem::State {
    struct Toplevel {
        State* state = nullptr;
        platform::WindowId id = 0;
        Handle handle;
        bool ready = false;  // its first batch of state has been applied
        std::string title;   // as this program reads titles
        std::string key;     // text::title_key of the title
        std::string app_id;
        std::string raw_title;  // as the client set it, to recognise our own
        platform::WindowId parent = 0;
        bool activated = false;
        std::uint64_t stamp = 0;  // larger: earlier in the walk
        // Sent since the last done event, applied together at the next one.
        std::optional<std::string> next_title;
        std::optional<std::string> next_app_id;
        std::optional<platform::WindowId> next_parent;
        std::optional<bool> next_activated;
    };

    OwnWindows own;
    CloseXWindow close_x;
    // Declared first, so destroyed last: every proxy goes before the display.
    Display display;
    Registry registry;
    Manager manager;
    std::uint32_t manager_name = 0;
    std::string withdrawn;  // why the compositor no longer lists its windows
    std::uint64_t trips = 0;
    std::unordered_map<platform::WindowId, std::unique_ptr<Toplevel>> toplevels;
    TitleIndex titles;                         // each title's toplevels in walk order
    std::vector<platform::WindowId> snapshot;  // the last walk
    std::unordered_map<platform::WindowId, std::size_t> position;  // in snapshot
    platform::WindowId next_id = 0;
    std::uint64_t clock = 0;
    std::chrono::steady_clock::time_point last_read{};
    platform::YieldPacer keyed_lookups;  // when one of them pumps
    bool keyed_live = false;             // live() at that moment

    wl_display* d() const { return display.get(); }
    bool live() const { return display && wl_display_get_error(d()) == 0; }

    void round_trip() {
        ++trips;
        wl_display_roundtrip(d());
    }

    // Handles what the compositor has already sent. Reading the socket is a
    // system call and a scan makes tens of thousands of look-ups, so the
    // socket is read at most once a millisecond unless `force`d.
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

    void apply(Toplevel& t) {
        if (t.next_title) {
            t.raw_title = std::move(*t.next_title);
            t.title = text::normalize_title(t.raw_title);
            t.key = text::title_key(t.raw_title);
        }
        if (t.next_app_id) t.app_id = std::move(*t.next_app_id);
        if (t.next_parent) t.parent = *t.next_parent;
        if (t.next_activated) {
            if (*t.next_activated && !t.activated) t.stamp = ++clock;
            t.activated = *t.next_activated;
        }
        t.next_title.reset();
        t.next_app_id.reset();
        t.next_parent.reset();
        t.next_activated.reset();
        t.ready = true;
        // Untitled toplevels are never looked up; the larger stamp comes first.
        if (t.key.empty()) {
            titles.remove(t.id);
        } else {
            titles.insert(t.id, t.key, -static_cast<TitleIndex::Rank>(t.stamp));
        }
    }

    void forget(platform::WindowId id) {
        auto it = toplevels.find(id);
        if (it == toplevels.end()) return;
        titles.remove(id);
        toplevels.erase(it);  // sends destroy, as the protocol asks after closed
    }

    void withdraw(std::string why) {
        withdrawn = std::move(why);
        titles.clear();
        toplevels.clear();
        manager.reset();
        manager_name = 0;
    }

    const Toplevel* known(platform::WindowId w) {
        pump();
        if (!live()) return nullptr;
        const auto it = toplevels.find(w);
        return it != toplevels.end() && it->second->ready ? it->second.get() : nullptr;
    }
};

namespace {

using Toplevel = WaylandWindowSystem::State::Toplevel;

Toplevel& of(void* data) {
    return *static_cast<Toplevel*>(data);
}

constexpr zwlr_foreign_toplevel_handle_v1_listener kHandleEvents = {
    .title = [](void* data, zwlr_foreign_toplevel_handle_v1*,
                const char* title) { of(data).next_title = title != nullptr ? title : ""; },
    .app_id = [](void* data, zwlr_foreign_toplevel_handle_v1*,
                 const char* app_id) { of(data).next_app_id = app_id != nullptr ? app_id : ""; },
    .output_enter = [](void*, zwlr_foreign_toplevel_handle_v1*, wl_output*) {},
    .output_leave = [](void*, zwlr_foreign_toplevel_handle_v1*, wl_output*) {},
    .state =
        [](void* data, zwlr_foreign_toplevel_handle_v1*, wl_array* states) {
            const auto* s = static_cast<const std::uint32_t*>(states->data);
            const std::size_t n = states->size / sizeof(std::uint32_t);
            of(data).next_activated =
                std::find(s, s + n, ZWLR_FOREIGN_TOPLEVEL_HANDLE_V1_STATE_ACTIVATED) != s + n;
        },
    .done = [](void* data, zwlr_foreign_toplevel_handle_v1*) { of(data).state->apply(of(data)); },
    .closed = [](void* data,
                 zwlr_foreign_toplevel_handle_v1*) { of(data).state->forget(of(data).id); },
    .parent =
        [](void* data, zwlr_foreign_toplevel_handle_v1*, zwlr_foreign_toplevel_handle_v1* parent) {
            void* p =
                parent != nullptr ? zwlr_foreign_toplevel_handle_v1_get_user_data(parent) : nullptr;
            of(data).next_parent = p != nullptr ? of(p).id : 0;
        },
};

constexpr zwlr_foreign_toplevel_manager_v1_listener kManagerEvents = {
    .toplevel =
        [](void* data, zwlr_foreign_toplevel_manager_v1*, zwlr_foreign_toplevel_handle_v1* handle) {
            auto& s = *static_cast<WaylandWindowSystem::State*>(data);
            auto t = std::make_unique<Toplevel>();
            t->state = &s;
            t->id = ++s.next_id;
            t->handle.reset(handle);
            t->stamp = ++s.clock;
            zwlr_foreign_toplevel_handle_v1_add_listener(handle, &kHandleEvents, t.get());
            s.toplevels.emplace(t->id, std::move(t));
        },
    .finished =
        [](void* data, zwlr_foreign_toplevel_manager_v1*) {
            static_cast<WaylandWindowSystem::State*>(data)->withdraw(
                std::string(kNoWindows) + "the compositor stopped listing them");
        },
};

constexpr wl_registry_listener kRegistryEvents = {
    .global =
        [](void* data, wl_registry* registry, std::uint32_t name, const char* interface,
           std::uint32_t version) {
            auto& s = *static_cast<WaylandWindowSystem::State*>(data);
            if (s.manager ||
                std::strcmp(interface, zwlr_foreign_toplevel_manager_v1_interface.name) != 0)
                return;
            s.manager.reset(static_cast<zwlr_foreign_toplevel_manager_v1*>(
                wl_registry_bind(registry, name, &zwlr_foreign_toplevel_manager_v1_interface,
                                 std::min(version, kManagerVersion))));
            s.manager_name = name;
            zwlr_foreign_toplevel_manager_v1_add_listener(s.manager.get(), &kManagerEvents, &s);
        },
    .global_remove =
        [](void* data, wl_registry*, std::uint32_t name) {
            auto& s = *static_cast<WaylandWindowSystem::State*>(data);
            if (s.manager && name == s.manager_name)
                s.withdraw(std::string(kNoWindows) + "the compositor withdrew its list");
        },
};

}  // namespace

Result<std::unique_ptr<WaylandWindowSystem>> WaylandWindowSystem::open(const char* display_name,
                                                                       OwnWindows own,
                                                                       CloseXWindow close_x) {
    const char* shown = display_name != nullptr ? display_name : std::getenv("WAYLAND_DISPLAY");
    if (shown == nullptr || *shown == '\0') return Error{"No Wayland display"};
    auto s = std::make_unique<State>();
    s->own = std::move(own);
    s->close_x = std::move(close_x);
    s->display.reset(wl_display_connect(display_name));
    if (!s->display)
        return Error{std::string("Cannot connect to the Wayland display \"") + shown + "\" (" +
                     std::strerror(errno) + ")"};
    s->registry.reset(wl_display_get_registry(s->d()));
    wl_registry_add_listener(s->registry.get(), &kRegistryEvents, s.get());
    s->round_trip();  // the globals
    if (!s->manager)
        return Error{std::string("The Wayland compositor \"") + shown +
                     "\" does not list its windows to other programs"};
    s->round_trip();  // the toplevels open now, with their state
    if (!s->live()) return Error{std::string("Lost the Wayland display \"") + shown + "\""};
    return std::unique_ptr<WaylandWindowSystem>(new WaylandWindowSystem(std::move(s)));
}

WaylandWindowSystem::WaylandWindowSystem(std::unique_ptr<State> state) : s_(std::move(state)) {}
WaylandWindowSystem::~WaylandWindowSystem() = default;

platform::WindowId WaylandWindowSystem::first_top_level(platform::WindowId from) {
    // A compositor that could not send us an event (sway 1.7 with a title
    // too long for one message) goes quiet and drops the connection only
    // when it next reads from us: a request it answers, never waited for,
    // makes that happen here rather than leave the table silently stale.
    if (s_->live()) wl_callback_destroy(wl_display_sync(s_->d()));
    s_->pump(/*force=*/true);
    s_->snapshot.clear();
    s_->position.clear();
    if (!s_->live()) return 0;
    const std::string own_title = from != 0 && s_->own.title_of ? s_->own.title_of(from) : "";
    for (const auto& [id, t] : s_->toplevels) {
        if (!t->ready) continue;
        const bool own =
            !own_title.empty() && t->app_id == s_->own.app_id && t->raw_title == own_title;
        if (!own) s_->snapshot.push_back(id);
    }
    std::sort(s_->snapshot.begin(), s_->snapshot.end(),
              [this](platform::WindowId a, platform::WindowId b) {
                  return s_->toplevels.at(a)->stamp > s_->toplevels.at(b)->stamp;
              });
    for (std::size_t i = 0; i < s_->snapshot.size(); ++i) s_->position.emplace(s_->snapshot[i], i);
    return s_->snapshot.empty() ? 0 : s_->snapshot.front();
}

platform::WindowId WaylandWindowSystem::next_top_level(platform::WindowId w) {
    s_->pump();
    const auto at = s_->position.find(w);
    if (!s_->live() || at == s_->position.end() || !s_->toplevels.contains(w)) return 0;
    // Toplevels closed since the walk began are passed over.
    for (std::size_t i = at->second + 1; i < s_->snapshot.size(); ++i)
        if (s_->toplevels.contains(s_->snapshot[i])) return s_->snapshot[i];
    return 0;
}

bool WaylandWindowSystem::is_visible(platform::WindowId w) {
    // The compositor lists only mapped toplevels; a minimised one is still
    // open as a user sees it.
    return s_->known(w) != nullptr;
}

platform::WindowId WaylandWindowSystem::owner(platform::WindowId w) {
    const auto* t = s_->known(w);
    if (t == nullptr || t->parent == w || !s_->toplevels.contains(t->parent)) return 0;
    return t->parent;
}

std::string WaylandWindowSystem::title(platform::WindowId w) {
    const auto* t = s_->known(w);
    return t != nullptr ? t->title : std::string();
}

platform::WindowId WaylandWindowSystem::find_by_title(std::string_view title) {
    s_->pump();
    if (!s_->live()) return 0;
    return s_->titles.find(text::title_key(title));
}

std::optional<platform::WindowId> WaylandWindowSystem::find_by_keys(const TitleKey& head,
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

const TitleIndex* WaylandWindowSystem::title_index() {
    s_->pump();
    s_->keyed_live = s_->live();
    return s_->keyed_live ? &s_->titles : nullptr;
}

bool WaylandWindowSystem::post_close(platform::WindowId w) {
    const auto* t = s_->known(w);
    if (t == nullptr) return false;
    if (s_->close_x) {
        if (const auto sent = s_->close_x(t->raw_title)) return *sent;
    }
    // A native client gets its ordinary close request.
    zwlr_foreign_toplevel_handle_v1_close(t->handle.get());
    wl_display_flush(s_->d());
    return true;
}

std::string WaylandWindowSystem::notice() const {
    if (!s_->live()) return std::string(kNoWindows) + "lost the Wayland display";
    return s_->withdrawn;
}

int WaylandWindowSystem::event_fd() const {
    return s_->live() ? wl_display_get_fd(s_->d()) : -1;
}

void WaylandWindowSystem::process_events() {
    s_->pump(/*force=*/true);
}

std::uint64_t WaylandWindowSystem::round_trips() const {
    return s_->trips;
}

}  // namespace vorlix::adapters::wayland
