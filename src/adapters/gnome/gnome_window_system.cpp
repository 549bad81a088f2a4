#include "adapters/gnome/gnome_window_system.h"

#include <systemd/sd-bus.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <unordered_map>
#include <utility>
#include <vector>

#include "base/text.h"
#include "base/title_index.h"
#include "platform/yield_pacer.h"

namespace vorlix::adapters::gnome {
namespace {

// The extension's side of the bus (extension/windows.js).
constexpr const char* kName = "org.vorlix.Windows1";
constexpr const char* kPath = "/org/vorlix/Windows1";
constexpr const char* kInterface = "org.vorlix.Windows1";

constexpr platform::WindowId kNative = platform::WindowId{1} << 63;
constexpr std::chrono::milliseconds kReadEvery{1};

struct BusUnref {
    void operator()(sd_bus* b) const noexcept { sd_bus_flush_close_unref(b); }
};
struct SlotUnref {
    void operator()(sd_bus_slot* s) const noexcept { sd_bus_slot_unref(s); }
};
struct MessageUnref {
    void operator()(sd_bus_message* m) const noexcept { sd_bus_message_unref(m); }
};
using Bus = std::unique_ptr<sd_bus, BusUnref>;
using Slot = std::unique_ptr<sd_bus_slot, SlotUnref>;
using Message = std::unique_ptr<sd_bus_message, MessageUnref>;

Error bus_error(std::string what, int r) {
    return Error{std::move(what) + " (" + std::strerror(-r) + ")", -r};
}

}  // namespace

struct GnomeWindowSystem::State {
    struct Window {
        std::uint64_t shell_id = 0;  // the extension's name for it
        std::string title;           // as this program reads titles
        std::string key;             // text::title_key of the title
        std::uint64_t stamp = 0;     // larger: earlier in the walk
    };

    platform::WatchedWindowSystem* x11 = nullptr;
    Bus bus;
    Slot owner_changes, signals, listing;
    bool listed = false;  // the table holds the extension's list
    bool lost = false;
    std::uint64_t trips = 0;
    std::unordered_map<platform::WindowId, Window> windows;
    std::unordered_map<std::uint64_t, platform::WindowId> by_shell_id;
    TitleIndex titles;
    std::vector<platform::WindowId> snapshot;  // the last walk
    std::unordered_map<platform::WindowId, std::size_t> position;
    std::uint64_t clock = 0;
    std::chrono::steady_clock::time_point last_read{};
    platform::YieldPacer keyed_lookups;  // when one of them pumps

    void pump(bool force = false) {
        if (lost) return;
        const auto now = std::chrono::steady_clock::now();
        if (!force && now - last_read < kReadEvery) return;
        last_read = now;
        int r = 0;
        while ((r = sd_bus_process(bus.get(), nullptr)) > 0) {
        }
        if (r < 0) {
            lost = true;
            forget_all();
        }
    }

    void forget_all() {
        listed = false;
        listing.reset();
        windows.clear();
        by_shell_id.clear();
        titles.clear();
    }

    // Files a window the extension describes, or files it again.
    void put(std::uint64_t shell_id, const char* title, bool x11_window, std::uint64_t xid) {
        const platform::WindowId id = x11_window ? xid : (kNative | shell_id);
        if (id == 0 || id == kNative) return;
        auto& w = windows[id];
        w.shell_id = shell_id;
        w.stamp = ++clock;
        by_shell_id[shell_id] = id;
        retitle(id, title);
    }

    void retitle(platform::WindowId id, const char* raw) {
        auto& w = windows.at(id);
        w.title = text::normalize_title(raw);
        w.key = text::title_key(raw);
        // Untitled windows are never looked up; the larger stamp comes first.
        if (w.key.empty()) {
            titles.remove(id);
        } else {
            titles.insert(id, w.key, -static_cast<TitleIndex::Rank>(w.stamp));
        }
    }

    void remove(std::uint64_t shell_id) {
        const auto it = by_shell_id.find(shell_id);
        if (it == by_shell_id.end()) return;
        titles.remove(it->second);
        windows.erase(it->second);
        by_shell_id.erase(it);
    }

    // Asks for the whole list; the answer replaces the table. Signals read
    // before it describe what the answer already holds, and those after it
    // what changed since, so applying both in order ends current.
    void request_list() {
        ++trips;
        sd_bus_slot* slot = nullptr;
        listing.reset();
        if (sd_bus_call_method_async(bus.get(), &slot, kName, kPath, kInterface, "List", on_list,
                                     this, "") >= 0)
            listing.reset(slot);
    }

    static int on_list(sd_bus_message* m, void* data, sd_bus_error*) {
        auto& s = *static_cast<State*>(data);
        s.listing.reset();
        // An error: the extension went meanwhile, and NameOwnerChanged says so.
        if (sd_bus_message_is_method_error(m, nullptr)) return 0;
        s.forget_all();
        if (sd_bus_message_enter_container(m, 'a', "(tsbtb)") < 0) return 0;
        struct Listed {
            std::uint64_t id, xid;
            std::string title;
            bool x11_window;
        };
        std::vector<Listed> topmost_first;
        std::uint64_t id = 0, xid = 0;
        const char* title = nullptr;
        int x11_window = 0, minimized = 0;
        while (sd_bus_message_read(m, "(tsbtb)", &id, &title, &x11_window, &xid, &minimized) > 0)
            topmost_first.push_back({id, xid, title, x11_window != 0});
        // The topmost window gets the largest stamp.
        for (auto it = topmost_first.rbegin(); it != topmost_first.rend(); ++it)
            s.put(it->id, it->title.c_str(), it->x11_window, it->xid);
        s.listed = true;
        return 0;
    }

    static int on_signal(sd_bus_message* m, void* data, sd_bus_error*) {
        auto& s = *static_cast<State*>(data);
        std::uint64_t id = 0, xid = 0;
        const char* title = nullptr;
        int x11_window = 0, minimized = 0;
        if (sd_bus_message_is_signal(m, kInterface, "Added")) {
            if (sd_bus_message_read(m, "tsbtb", &id, &title, &x11_window, &xid, &minimized) > 0)
                s.put(id, title, x11_window != 0, xid);
        } else if (sd_bus_message_is_signal(m, kInterface, "Removed")) {
            if (sd_bus_message_read(m, "t", &id) > 0) s.remove(id);
        } else if (sd_bus_message_is_signal(m, kInterface, "Retitled")) {
            if (sd_bus_message_read(m, "ts", &id, &title) > 0 && s.by_shell_id.contains(id))
                s.retitle(s.by_shell_id.at(id), title);
        }
        return 0;
    }

    static int on_owner_changed(sd_bus_message* m, void* data, sd_bus_error*) {
        auto& s = *static_cast<State*>(data);
        const char *name = nullptr, *old_owner = nullptr, *new_owner = nullptr;
        if (sd_bus_message_read(m, "sss", &name, &old_owner, &new_owner) < 0) return 0;
        s.forget_all();
        if (*new_owner != '\0') s.request_list();
        return 0;
    }

    const Window* known(platform::WindowId w) {
        pump();
        const auto it = windows.find(w);
        return listed && it != windows.end() ? &it->second : nullptr;
    }

    // While the extension does not answer, X11 answers alone.
    platform::WindowSystem* fallback() const { return listed || lost ? nullptr : x11; }
};

Result<std::unique_ptr<GnomeWindowSystem>> GnomeWindowSystem::open(
    const char* address, platform::WatchedWindowSystem* x11) {
    auto s = std::make_unique<State>();
    s->x11 = x11;
    sd_bus* bus = nullptr;
    int r = 0;
    if (address == nullptr) {
        r = sd_bus_open_user(&bus);
        s->bus.reset(bus);
    } else {
        r = sd_bus_new(&bus);
        s->bus.reset(bus);
        if (r >= 0) r = sd_bus_set_address(bus, address);
        if (r >= 0) r = sd_bus_set_bus_client(bus, 1);
        if (r >= 0) r = sd_bus_start(bus);
    }
    if (r < 0) return bus_error("Cannot connect to the session bus", r);

    sd_bus_message* reply = nullptr;
    ++s->trips;
    r = sd_bus_call_method(bus, "org.freedesktop.DBus", "/org/freedesktop/DBus",
                           "org.freedesktop.DBus", "NameHasOwner", nullptr, &reply, "s",
                           "org.gnome.Shell");
    const Message shell(reply);
    int running = 0;
    if (r < 0 || sd_bus_message_read(reply, "b", &running) < 0 || running == 0)
        return Error{"GNOME Shell is not running on the session bus"};

    sd_bus_slot* slot = nullptr;
    const std::string owner_rule =
        std::string(
            "type='signal',sender='org.freedesktop.DBus',interface='org.freedesktop."
            "DBus',member='NameOwnerChanged',arg0='") +
        kName + "'";
    const std::string signal_rule = std::string("type='signal',sender='") + kName + "',path='" +
                                    kPath + "',interface='" + kInterface + "'";
    s->trips += 2;
    r = sd_bus_add_match(bus, &slot, owner_rule.c_str(), State::on_owner_changed, s.get());
    if (r < 0) return bus_error("Cannot watch the session bus", r);
    s->owner_changes.reset(slot);
    r = sd_bus_add_match(bus, &slot, signal_rule.c_str(), State::on_signal, s.get());
    if (r < 0) return bus_error("Cannot watch the session bus", r);
    s->signals.reset(slot);

    // The list, when the extension answers: waited for, so that the first
    // walk sees every window.
    s->request_list();
    while (s->listing && !s->lost) {
        s->pump(/*force=*/true);
        if (s->listing && sd_bus_wait(bus, UINT64_MAX) < 0) s->lost = true;
    }

    return std::unique_ptr<GnomeWindowSystem>(new GnomeWindowSystem(std::move(s)));
}

GnomeWindowSystem::GnomeWindowSystem(std::unique_ptr<State> state) : s_(std::move(state)) {}
GnomeWindowSystem::~GnomeWindowSystem() = default;

platform::WindowId GnomeWindowSystem::first_top_level(platform::WindowId from) {
    s_->pump(/*force=*/true);
    if (auto* x = s_->fallback()) return x->first_top_level(from);
    s_->snapshot.clear();
    s_->position.clear();
    for (const auto& [id, w] : s_->windows) s_->snapshot.push_back(id);
    std::sort(s_->snapshot.begin(), s_->snapshot.end(),
              [this](platform::WindowId a, platform::WindowId b) {
                  return s_->windows.at(a).stamp > s_->windows.at(b).stamp;
              });
    for (std::size_t i = 0; i < s_->snapshot.size(); ++i) s_->position.emplace(s_->snapshot[i], i);
    return s_->snapshot.empty() ? 0 : s_->snapshot.front();
}

platform::WindowId GnomeWindowSystem::next_top_level(platform::WindowId w) {
    s_->pump();
    if (auto* x = s_->fallback()) return x->next_top_level(w);
    const auto at = s_->position.find(w);
    if (at == s_->position.end() || !s_->windows.contains(w)) return 0;
    // Windows closed since the walk began are passed over.
    for (std::size_t i = at->second + 1; i < s_->snapshot.size(); ++i)
        if (s_->windows.contains(s_->snapshot[i])) return s_->snapshot[i];
    return 0;
}

bool GnomeWindowSystem::is_visible(platform::WindowId w) {
    if (auto* x = s_->fallback()) return x->is_visible(w);
    return s_->known(w) != nullptr;
}

platform::WindowId GnomeWindowSystem::owner(platform::WindowId w) {
    if (auto* x = s_->fallback()) return x->owner(w);
    return 0;
}

std::string GnomeWindowSystem::title(platform::WindowId w) {
    if (auto* x = s_->fallback()) return x->title(w);
    const auto* k = s_->known(w);
    return k != nullptr ? k->title : std::string();
}

platform::WindowId GnomeWindowSystem::find_by_title(std::string_view title) {
    s_->pump();
    if (auto* x = s_->fallback()) return x->find_by_title(title);
    return s_->titles.find(text::title_key(title));
}

std::optional<platform::WindowId> GnomeWindowSystem::find_by_keys(const TitleKey& head,
                                                                  const TitleKey& tail) {
    // A scan makes tens of thousands of these; even the clock is read only
    // every few of them.
    if (s_->keyed_lookups.due()) s_->pump();
    if (auto* x = s_->fallback()) return x->find_by_keys(head, tail);
    return s_->titles.find(head, tail);
}

const TitleIndex* GnomeWindowSystem::title_index() {
    s_->pump();
    if (auto* x = s_->fallback()) return x->title_index();
    return &s_->titles;
}

bool GnomeWindowSystem::post_close(platform::WindowId w) {
    if (auto* x = s_->fallback()) return x->post_close(w);
    const auto* k = s_->known(w);
    if (k == nullptr) return false;
    if ((w & kNative) == 0) {
        if (!s_->x11) return false;
        // X11 learns of client windows inside the shell's frames by a walk.
        auto& x = *s_->x11;
        if (!x.is_visible(w))
            for (platform::WindowId h = x.first_top_level(0); h != 0; h = x.next_top_level(h)) {
            }
        return x.post_close(w);
    }
    if (sd_bus_call_method_async(s_->bus.get(), nullptr, kName, kPath, kInterface, "Close", nullptr,
                                 nullptr, "t", k->shell_id) < 0)
        return false;
    sd_bus_flush(s_->bus.get());
    return true;
}

std::string GnomeWindowSystem::notice() const {
    if (s_->lost) return "No windows: lost the session bus";
    if (s_->listed) return {};
    // On GNOME's X11 session X11 sees every window: nothing to turn on.
    if (s_->x11 != nullptr && s_->x11->notice().empty()) return {};
    return std::string("Run: gnome-extensions enable ") + kExtensionUuid;
}

int GnomeWindowSystem::event_fd() const {
    return s_->lost ? -1 : sd_bus_get_fd(s_->bus.get());
}

void GnomeWindowSystem::process_events() {
    s_->pump(/*force=*/true);
}

void GnomeWindowSystem::flush() {
    if (s_->x11 != nullptr) s_->x11->flush();
}

std::uint64_t GnomeWindowSystem::round_trips() const {
    return s_->trips;
}

}  // namespace vorlix::adapters::gnome
