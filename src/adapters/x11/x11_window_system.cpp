#include "adapters/x11/x11_window_system.h"

#include <xcb/xcb.h>
#include <xcb/xcb_ewmh.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "adapters/x11/x11_link.h"
#include "adapters/x11/x11_walk.h"
#include "adapters/x11/x11_window_reader.h"
#include "adapters/x11/x11_window_table.h"
#include "base/text.h"
#include "platform/yield_pacer.h"

namespace vorlix::adapters::x11 {
namespace {

constexpr std::chrono::milliseconds kReadEvery{1};

bool wayland_session() {
    const char* type = std::getenv("XDG_SESSION_TYPE");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    return (type != nullptr && std::strcmp(type, "wayland") == 0) ||
           (wayland != nullptr && *wayland != '\0');
}

}  // namespace

// The connection, the table, and the event pump that keeps the table current.
struct X11WindowSystem::State {
    Link link;
    std::string reason;  // why there is no connection
    bool wayland = wayland_session();
    std::string wayland_notice = "Native Wayland windows cannot be seen";
    WindowTable table;
    WindowReader reader{link, table};
    Walk walk{link, table, reader};
    std::chrono::steady_clock::time_point last_read{};
    platform::YieldPacer keyed_lookups;  // when one of them syncs

    void handle(const xcb_generic_event_t* e) {
        note_restack(e);
        switch (e->response_type & 0x7F) {
            case XCB_CREATE_NOTIFY: {
                const auto* ev = reinterpret_cast<const xcb_create_notify_event_t*>(e);
                if (ev->parent == link.root() && !ev->override_redirect) reader.created(ev->window);
                break;
            }
            case XCB_DESTROY_NOTIFY: {
                const auto* ev = reinterpret_cast<const xcb_destroy_notify_event_t*>(e);
                if (walk.is_window_manager_check(ev->window)) walk.forget_window_manager();
                reader.destroyed(ev->window);
                break;
            }
            case XCB_MAP_NOTIFY:
                reader.map_changed(reinterpret_cast<const xcb_map_notify_event_t*>(e)->window,
                                   true);
                break;
            case XCB_UNMAP_NOTIFY:
                reader.map_changed(reinterpret_cast<const xcb_unmap_notify_event_t*>(e)->window,
                                   false);
                break;
            case XCB_PROPERTY_NOTIFY: {
                const auto* ev = reinterpret_cast<const xcb_property_notify_event_t*>(e);
                if (ev->window != link.root()) {
                    reader.property_changed(ev->window, ev->atom);
                    // A frame's client is told from the frame by it.
                    if (ev->atom == link.atom(kWmState)) walk.changed();
                } else if (ev->atom == link.atom(kNetSupportingWmCheck)) {
                    // A new window manager: verify its check window at the next walk.
                    walk.forget_window_manager();
                } else if (ev->atom == link.atom(kNetClientListStacking) ||
                           ev->atom == link.atom(kNetSupported)) {
                    walk.changed();
                }
                break;
            }
            default:  // errors of unchecked requests name windows that are gone
                break;
        }
    }

    // Any change among the root window's children may restack the windows
    // the walk lists; without one, the last walk still holds.
    void note_restack(const xcb_generic_event_t* e) {
        switch (e->response_type & 0x7F) {
            case XCB_CREATE_NOTIFY:
            case XCB_DESTROY_NOTIFY:
            case XCB_UNMAP_NOTIFY:
            case XCB_MAP_NOTIFY:
            case XCB_REPARENT_NOTIFY:
            case XCB_CONFIGURE_NOTIFY:
            case XCB_GRAVITY_NOTIFY:
            case XCB_CIRCULATE_NOTIFY:
                // Each of these names first the window it was reported on.
                if (reinterpret_cast<const xcb_destroy_notify_event_t*>(e)->event == link.root())
                    walk.changed();
                break;
            default:
                break;
        }
    }

    // Brings the table up to date with what the server has already sent.
    // Reading the socket is a system call, and a scan makes tens of
    // thousands of look-ups: the socket is read at most once a millisecond,
    // while events already read are handled on every call.
    void sync(bool force = false) {
        if (!link.live()) return;
        const auto now = std::chrono::steady_clock::now();
        const bool read = force || now - last_read >= kReadEvery;
        if (read) last_read = now;
        while (xcb_generic_event_t* raw =
                   read ? xcb_poll_for_event(link.c()) : xcb_poll_for_queued_event(link.c())) {
            const Reply<xcb_generic_event_t> e(raw);
            handle(e.get());
        }
        if (read) reader.take_answers(/*block=*/false);  // polling for a reply reads the socket too
        // Close requests wait for the next read, so that a scan's go out
        // together.
        if (reader.take_must_flush() || read) xcb_flush(link.c());
    }

    // Before a look-up: the table as current as the events read allow, and
    // the windows made since asked about. False without a connection.
    bool ready_to_look_up() {
        sync();
        if (!link.live()) return false;
        reader.ask_created();
        return true;
    }

    const WindowInfo* known(platform::WindowId w) {
        sync();
        if (!link.live() || w > 0xFFFFFFFFu) return nullptr;
        const WindowInfo* k = table.find(static_cast<xcb_window_t>(w));
        return k == nullptr || k->override_redirect ? nullptr : k;
    }
};

std::unique_ptr<X11WindowSystem> X11WindowSystem::open() {
    return open(nullptr);
}

std::unique_ptr<X11WindowSystem> X11WindowSystem::open(const char* display_name,
                                                       std::string wayland_notice) {
    auto s = std::make_unique<State>();
    if (!wayland_notice.empty()) s->wayland_notice = std::move(wayland_notice);
    if (auto opened = Link::open(display_name)) {
        s->link = std::move(opened).value();
    } else {
        s->reason = opened.error().message;
    }
    return std::unique_ptr<X11WindowSystem>(new X11WindowSystem(std::move(s)));
}

X11WindowSystem::X11WindowSystem(std::unique_ptr<State> state) : s_(std::move(state)) {}
X11WindowSystem::~X11WindowSystem() = default;

platform::WindowId X11WindowSystem::first_top_level(platform::WindowId /*from*/) {
    s_->sync(/*force=*/true);
    if (!s_->link.live()) return 0;
    return s_->walk.first();
}

platform::WindowId X11WindowSystem::next_top_level(platform::WindowId w) {
    s_->sync();
    if (!s_->link.live() || w > 0xFFFFFFFFu) return 0;
    return s_->walk.next(static_cast<xcb_window_t>(w));
}

bool X11WindowSystem::is_visible(platform::WindowId w) {
    const auto* k = s_->known(w);
    return k != nullptr && (k->viewable || k->iconic);
}

platform::WindowId X11WindowSystem::owner(platform::WindowId w) {
    const auto* k = s_->known(w);
    if (k == nullptr || k->transient_for == s_->link.root() || k->transient_for == w) return 0;
    return k->transient_for;
}

std::string X11WindowSystem::title(platform::WindowId w) {
    const auto* k = s_->known(w);
    return k != nullptr ? k->title : std::string();
}

platform::WindowId X11WindowSystem::find_by_title(std::string_view title) {
    return s_->ready_to_look_up() ? s_->table.find_key(text::title_key(title)) : 0;
}

std::optional<platform::WindowId> X11WindowSystem::find_by_keys(const TitleKey& head,
                                                                const TitleKey& tail) {
    // A scan makes tens of thousands of these; even the check for events
    // already read is made only once a millisecond.
    if (s_->keyed_lookups.due()) (void)s_->ready_to_look_up();
    if (!s_->link.live()) return 0;
    return s_->table.find_keys(head, tail);
}

const TitleIndex* X11WindowSystem::title_index() {
    return s_->ready_to_look_up() ? &s_->table.index() : nullptr;
}

bool X11WindowSystem::post_close(platform::WindowId w) {
    const auto* k = s_->known(w);
    // A window that does not take WM_DELETE_WINDOW is left alone: a window
    // manager asked to close it would kill its client, and with it every
    // other window of that program.
    if (k == nullptr || !k->deletable) return false;
    const auto id = static_cast<xcb_window_t>(w);
    Link& link = s_->link;
    if (s_->walk.window_manager_closes() && k->managed) {
        link.send(link.root(),
                  XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY, id,
                  link.atom(kNetCloseWindow),
                  {XCB_CURRENT_TIME, XCB_EWMH_CLIENT_SOURCE_TYPE_OTHER, 0, 0, 0});
    } else {
        link.send(id, XCB_EVENT_MASK_NO_EVENT, id, link.atom(kWmProtocols),
                  {link.atom(kWmDeleteWindow), XCB_CURRENT_TIME, 0, 0, 0});
    }
    return true;
}

std::optional<bool> X11WindowSystem::post_close_titled(std::string_view title) {
    // A close is rare and must not miss a window made or renamed a moment
    // ago, so the walk reads the server's current state first.
    s_->sync(/*force=*/true);
    if (!s_->link.live()) return std::nullopt;
    s_->walk.changed();  // its creation may not have reached us yet
    s_->walk.first();
    const xcb_window_t w = s_->table.find_key(text::title_key(title));
    if (w == 0) return std::nullopt;
    const bool sent = post_close(w);
    flush();
    return sent;
}

std::string X11WindowSystem::notice() const {
    if (!s_->link.connected()) return s_->reason;
    if (!s_->link.live()) return std::string(kNoWindows) + "lost the X display";
    if (s_->wayland) return s_->wayland_notice;
    return {};
}

void X11WindowSystem::flush() {
    if (s_->link.live()) xcb_flush(s_->link.c());
}

int X11WindowSystem::event_fd() const {
    return s_->link.live() ? xcb_get_file_descriptor(s_->link.c()) : -1;
}

void X11WindowSystem::process_events() {
    s_->sync(/*force=*/true);
}

std::uint64_t X11WindowSystem::replies_waited() const {
    return s_->link.waited();
}

}  // namespace vorlix::adapters::x11
