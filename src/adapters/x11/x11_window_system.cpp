#include "adapters/x11/x11_window_system.h"

#include <xcb/xcb.h>
#include <xcb/xcb_ewmh.h>
#include <xcb/xcb_icccm.h>
#include <xcb/xcbext.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

#include "base/result.h"
#include "base/text.h"

namespace vorlix::platform::x11 {
namespace {

struct FreeDeleter {
    void operator()(void* p) const noexcept { std::free(p); }
};
template <class T>
using Reply = std::unique_ptr<T, FreeDeleter>;

struct Disconnect {
    void operator()(xcb_connection_t* c) const noexcept { xcb_disconnect(c); }
};
using Connection = std::unique_ptr<xcb_connection_t, Disconnect>;

enum AtomName : std::size_t {
    kNetSupported,
    kNetSupportingWmCheck,
    kNetClientListStacking,
    kNetCloseWindow,
    kNetWmName,
    kUtf8String,
    kCompoundText,
    kWmState,
    kWmProtocols,
    kWmDeleteWindow,
    kAtomCount
};
constexpr std::array<const char*, kAtomCount> kAtomNames = {"_NET_SUPPORTED",
                                                            "_NET_SUPPORTING_WM_CHECK",
                                                            "_NET_CLIENT_LIST_STACKING",
                                                            "_NET_CLOSE_WINDOW",
                                                            "_NET_WM_NAME",
                                                            "UTF8_STRING",
                                                            "COMPOUND_TEXT",
                                                            "WM_STATE",
                                                            "WM_PROTOCOLS",
                                                            "WM_DELETE_WINDOW"};

// The properties of a top-level window that the table mirrors.
enum Prop : std::size_t {
    kPropNetName,
    kPropWmName,
    kPropState,
    kPropTransient,
    kPropProtocols,
    kPropCount
};

// Long enough for any title a user would read; longer ones are cut.
constexpr std::uint32_t kTitleLongs = 2048;

constexpr std::uint32_t kClientEvents =
    XCB_EVENT_MASK_PROPERTY_CHANGE | XCB_EVENT_MASK_STRUCTURE_NOTIFY;
constexpr std::uint32_t kRootEvents =
    XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY | XCB_EVENT_MASK_PROPERTY_CHANGE;

constexpr std::chrono::milliseconds kReadEvery{1};

constexpr const char* kNoWindows = ": Vorlix cannot see any windows";

std::string latin1_to_utf8(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    for (const char ch : s) {
        const auto b = static_cast<unsigned char>(ch);
        if (b < 0x80) {
            out.push_back(ch);
        } else {
            out.push_back(static_cast<char>(0xC0 | (b >> 6)));
            out.push_back(static_cast<char>(0x80 | (b & 0x3F)));
        }
    }
    return out;
}

std::string_view property_bytes(const xcb_get_property_reply_t* r) {
    if (r == nullptr || r->format != 8) return {};
    const auto* data = static_cast<const char*>(xcb_get_property_value(r));
    std::string_view bytes(data, static_cast<std::size_t>(xcb_get_property_value_length(r)));
    return bytes.substr(0, bytes.find('\0'));
}

std::vector<std::uint32_t> property_longs(const xcb_get_property_reply_t* r, xcb_atom_t type) {
    if (r == nullptr || r->format != 32 || r->type != type) return {};
    const auto* data = static_cast<const std::uint32_t*>(xcb_get_property_value(r));
    return {data, data + xcb_get_property_value_length(r) / 4};
}

bool wayland_session() {
    const char* type = std::getenv("XDG_SESSION_TYPE");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    return (type != nullptr && std::strcmp(type, "wayland") == 0) ||
           (wayland != nullptr && *wayland != '\0');
}

struct Opened {
    Connection conn;
    xcb_window_t root = 0;
};

Result<Opened> connect(const char* display_name) {
    const char* shown = display_name != nullptr ? display_name : std::getenv("DISPLAY");
    if (shown == nullptr || *shown == '\0') return Error{std::string("No X display") + kNoWindows};
    int screen = 0;
    Connection conn(xcb_connect(display_name, &screen));
    if (const int err = xcb_connection_has_error(conn.get()); err != 0) {
        const char* why = err == XCB_CONN_CLOSED_PARSE_ERR ? "not a display name"
                          : err == XCB_CONN_ERROR          ? "no server answers"
                                                           : "refused";
        return Error{std::string("Cannot open the X display \"") + shown + "\" (" + why + ")" +
                     kNoWindows};
    }
    auto it = xcb_setup_roots_iterator(xcb_get_setup(conn.get()));
    for (int i = 0; i < screen && it.rem > 0; ++i) xcb_screen_next(&it);
    if (it.rem == 0) return Error{std::string("The X display has no such screen") + kNoWindows};
    return Opened{std::move(conn), it.data->root};
}

}  // namespace

struct X11WindowSystem::State {
    struct Window {
        bool override_redirect = false;
        bool viewable = false;
        bool iconic = false;
        bool deletable = false;  // lists WM_DELETE_WINDOW in WM_PROTOCOLS
        bool managed = false;    // in the window manager's client list at the last walk
        xcb_window_t transient_for = 0;
        std::string net_name;  // _NET_WM_NAME, UTF-8
        std::string wm_name;   // WM_NAME, converted to UTF-8
        std::string title;     // as this program reads it
        std::string key;       // fold_case(title): the look-up key
        std::size_t rank = 0;  // stacking place at the last walk, topmost 0
    };
    struct Pending {
        xcb_window_t window;
        Prop prop;
        xcb_get_property_cookie_t cookie;
    };
    // A window being read: its attributes, then its properties, answer by
    // answer, so that reading can stop when the next answer is not there yet.
    struct Ask {
        xcb_window_t id = 0;
        xcb_get_window_attributes_cookie_t attributes{};
        std::array<xcb_get_property_cookie_t, kPropCount> props{};
        std::size_t read = 0;  // answers taken so far
        bool gone = false;
        Window w;
        bool complete() const { return read == kPropCount + 1; }
    };

    Connection conn;
    xcb_window_t root = 0;
    std::array<xcb_atom_t, kAtomCount> atoms{};
    std::string reason;  // why there is no connection
    bool wayland = false;
    std::uint64_t waited = 0;

    std::unordered_map<xcb_window_t, Window> windows;
    std::unordered_map<std::string, std::vector<xcb_window_t>> by_key;  // each in stacking order
    std::vector<xcb_window_t> snapshot;                      // the last walk, topmost first
    std::unordered_map<xcb_window_t, std::size_t> position;  // in snapshot
    std::unordered_set<xcb_window_t> fresh;  // created since the walk, not asked about yet
    std::deque<Ask> asking;                  // created since the walk, answers not all read
    std::deque<Pending> pending;             // property refreshes sent, replies not read
    std::size_t next_rank = 0;
    xcb_window_t wm_check = 0;  // the window manager's check window, once verified
    bool wm_closes = false;     // the window manager lists _NET_CLOSE_WINDOW
    bool must_flush = false;
    std::chrono::steady_clock::time_point last_read{};

    bool live() const { return conn && xcb_connection_has_error(conn.get()) == 0; }
    xcb_connection_t* c() const { return conn.get(); }

    template <class R, class Cookie>
    Reply<R> wait(R* (*get)(xcb_connection_t*, Cookie, xcb_generic_error_t**), Cookie cookie) {
        ++waited;
        xcb_generic_error_t* error = nullptr;
        Reply<R> r(get(c(), cookie, &error));
        std::free(error);  // BadWindow: the window is gone, and a null reply says so
        return r;
    }

    xcb_get_property_cookie_t get_property(xcb_window_t w, xcb_atom_t property, xcb_atom_t type,
                                           std::uint32_t longs) {
        return xcb_get_property_unchecked(c(), 0, w, property, type, 0, longs);
    }

    xcb_get_property_cookie_t request(xcb_window_t w, Prop p) {
        switch (p) {
            case kPropNetName:
                return get_property(w, atoms[kNetWmName], atoms[kUtf8String], kTitleLongs);
            case kPropWmName:
                return get_property(w, XCB_ATOM_WM_NAME, XCB_GET_PROPERTY_TYPE_ANY, kTitleLongs);
            case kPropState:
                return get_property(w, atoms[kWmState], atoms[kWmState], 2);
            case kPropTransient:
                return get_property(w, XCB_ATOM_WM_TRANSIENT_FOR, XCB_ATOM_WINDOW, 1);
            case kPropProtocols:
            case kPropCount:
                break;
        }
        return get_property(w, atoms[kWmProtocols], XCB_ATOM_ATOM, 64);
    }

    std::string wm_name_text(const xcb_get_property_reply_t* r) const {
        const std::string_view bytes = property_bytes(r);
        if (r == nullptr || bytes.empty()) return {};
        if (r->type == atoms[kUtf8String]) return std::string(bytes);
        // STRING is Latin-1; COMPOUND_TEXT is read as Latin-1 too, the best
        // that can be done without a converter.
        return latin1_to_utf8(bytes);
    }

    void apply(Window& w, Prop p, const xcb_get_property_reply_t* r) {
        switch (p) {
            case kPropNetName:
                w.net_name = std::string(property_bytes(r));
                break;
            case kPropWmName:
                w.wm_name = wm_name_text(r);
                break;
            case kPropState: {
                const auto state = property_longs(r, atoms[kWmState]);
                w.iconic = !state.empty() && state[0] == XCB_ICCCM_WM_STATE_ICONIC;
                break;
            }
            case kPropTransient: {
                xcb_window_t t = 0;
                if (r == nullptr || !xcb_icccm_get_wm_transient_for_from_reply(
                                        &t, const_cast<xcb_get_property_reply_t*>(r)))
                    t = 0;
                w.transient_for = t;
                break;
            }
            case kPropProtocols: {
                const auto list = property_longs(r, XCB_ATOM_ATOM);
                w.deletable =
                    std::find(list.begin(), list.end(), atoms[kWmDeleteWindow]) != list.end();
                break;
            }
            case kPropCount:
                break;
        }
    }

    void index_erase(xcb_window_t id, const Window& w) {
        if (w.key.empty()) return;
        auto it = by_key.find(w.key);
        if (it == by_key.end()) return;
        std::erase(it->second, id);
        if (it->second.empty()) by_key.erase(it);
    }

    void index_insert(xcb_window_t id, const Window& w) {
        if (w.key.empty() || w.override_redirect) return;
        auto& list = by_key[w.key];
        const auto at = std::lower_bound(
            list.begin(), list.end(), w.rank,
            [this](xcb_window_t other, std::size_t rank) { return windows.at(other).rank < rank; });
        list.insert(at, id);
    }

    // Recomputes the title after one of its two sources changed.
    void retitle(xcb_window_t id, Window& w) {
        std::string t = text::normalize_title(w.net_name.empty() ? w.wm_name : w.net_name);
        if (t == w.title) return;
        index_erase(id, w);
        w.title = std::move(t);
        w.key = text::fold_case(w.title);
        index_insert(id, w);
    }

    void forget(xcb_window_t id) {
        fresh.erase(id);
        for (Ask& a : asking)
            if (a.id == id) a.gone = true;
        auto it = windows.find(id);
        if (it == windows.end()) return;
        index_erase(id, it->second);
        windows.erase(it);
    }

    void handle(const xcb_generic_event_t* e) {
        switch (e->response_type & 0x7F) {
            case XCB_CREATE_NOTIFY: {
                const auto* ev = reinterpret_cast<const xcb_create_notify_event_t*>(e);
                if (ev->parent == root && !ev->override_redirect && !windows.contains(ev->window))
                    fresh.insert(ev->window);
                break;
            }
            case XCB_DESTROY_NOTIFY: {
                const auto* ev = reinterpret_cast<const xcb_destroy_notify_event_t*>(e);
                if (ev->window == wm_check) {
                    wm_check = 0;
                    wm_closes = false;
                }
                forget(ev->window);
                break;
            }
            case XCB_MAP_NOTIFY: {
                const auto* ev = reinterpret_cast<const xcb_map_notify_event_t*>(e);
                if (auto it = windows.find(ev->window); it != windows.end())
                    it->second.viewable = true;
                break;
            }
            case XCB_UNMAP_NOTIFY: {
                const auto* ev = reinterpret_cast<const xcb_unmap_notify_event_t*>(e);
                if (auto it = windows.find(ev->window); it != windows.end())
                    it->second.viewable = false;
                break;
            }
            case XCB_PROPERTY_NOTIFY:
                property_changed(reinterpret_cast<const xcb_property_notify_event_t*>(e));
                break;
            default:  // errors of unchecked requests name windows that are gone
                break;
        }
    }

    void property_changed(const xcb_property_notify_event_t* ev) {
        if (ev->window == root) {
            // A new window manager: verify its check window at the next walk.
            if (ev->atom == atoms[kNetSupportingWmCheck]) {
                wm_check = 0;
                wm_closes = false;
            }
            return;
        }
        auto it = windows.find(ev->window);
        if (it == windows.end() || it->second.override_redirect) return;
        Prop p = kPropCount;
        if (ev->atom == atoms[kNetWmName]) p = kPropNetName;
        if (ev->atom == XCB_ATOM_WM_NAME) p = kPropWmName;
        if (ev->atom == atoms[kWmState]) p = kPropState;
        if (ev->atom == XCB_ATOM_WM_TRANSIENT_FOR) p = kPropTransient;
        if (ev->atom == atoms[kWmProtocols]) p = kPropProtocols;
        if (p == kPropCount) return;
        // Ask now, read the answer when it is there: no call waits for it.
        pending.push_back({ev->window, p, request(ev->window, p)});
        must_flush = true;
    }

    // Reads the property replies that have arrived; with `block`, all of them.
    void collect(bool block) {
        while (!pending.empty() && live()) {
            const Pending& p = pending.front();
            void* raw = nullptr;
            xcb_generic_error_t* error = nullptr;
            if (block) {
                ++waited;
                raw = xcb_wait_for_reply(c(), p.cookie.sequence, &error);
            } else if (xcb_poll_for_reply(c(), p.cookie.sequence, &raw, &error) == 0) {
                break;
            }
            std::free(error);
            Reply<xcb_get_property_reply_t> r(static_cast<xcb_get_property_reply_t*>(raw));
            if (auto it = windows.find(p.window); it != windows.end() && r) {
                apply(it->second, p.prop, r.get());
                if (p.prop == kPropNetName || p.prop == kPropWmName) retitle(p.window, it->second);
            }
            pending.pop_front();
        }
    }

    // Brings the table up to date with what the server has already sent.
    // Reading the socket is a system call, and a scan makes tens of
    // thousands of look-ups: the socket is read at most once a millisecond,
    // while events already read are handled on every call.
    void sync(bool force = false) {
        if (!live()) return;
        const auto now = std::chrono::steady_clock::now();
        const bool read = force || now - last_read >= kReadEvery;
        if (read) last_read = now;
        while (xcb_generic_event_t* raw =
                   read ? xcb_poll_for_event(c()) : xcb_poll_for_queued_event(c())) {
            Reply<xcb_generic_event_t> e(raw);
            handle(e.get());
        }
        if (read) {  // polling for a reply reads the socket too
            collect(false);
            take_answered();
        }
        if (must_flush) {
            xcb_flush(c());
            must_flush = false;
        }
    }

    Ask ask(xcb_window_t id) {
        // Listen first, so that no change after the read goes unseen.
        xcb_change_window_attributes(c(), id, XCB_CW_EVENT_MASK, &kClientEvents);
        Ask a;
        a.id = id;
        a.attributes = xcb_get_window_attributes_unchecked(c(), id);
        for (std::size_t p = 0; p < kPropCount; ++p) a.props[p] = request(id, Prop(p));
        return a;
    }

    // Takes the ask's next answer; without `block`, false when it has not
    // arrived yet.
    bool take_one(Ask& a, bool block) {
        const unsigned int sequence =
            a.read == 0 ? a.attributes.sequence : a.props[a.read - 1].sequence;
        if (a.gone) {
            xcb_discard_reply(c(), sequence);
            ++a.read;
            return true;
        }
        void* raw = nullptr;
        xcb_generic_error_t* error = nullptr;
        if (block) {
            ++waited;
            raw = xcb_wait_for_reply(c(), sequence, &error);
        } else if (xcb_poll_for_reply(c(), sequence, &raw, &error) == 0) {
            return false;
        }
        std::free(error);  // BadWindow: destroyed before it could be read
        if (a.read == 0) {
            Reply<xcb_get_window_attributes_reply_t> r(
                static_cast<xcb_get_window_attributes_reply_t*>(raw));
            a.gone = !r;
            if (r) {
                a.w.override_redirect = r->override_redirect != 0;
                // Its own map state, as MapNotify and UnmapNotify keep it: a
                // client on another desktop, in an unmapped frame, counts as shown.
                a.w.viewable = r->map_state != XCB_MAP_STATE_UNMAPPED;
            }
        } else {
            Reply<xcb_get_property_reply_t> r(static_cast<xcb_get_property_reply_t*>(raw));
            if (!r) a.gone = true;
            apply(a.w, Prop(a.read - 1), r.get());
        }
        ++a.read;
        return true;
    }

    void settle(Ask& a, bool index) {
        if (a.gone) return;
        Window& w = a.w;
        w.title = text::normalize_title(w.net_name.empty() ? w.wm_name : w.net_name);
        w.key = text::fold_case(w.title);
        w.rank = next_rank++;
        windows.insert_or_assign(a.id, std::move(w));
        if (index) index_insert(a.id, windows.at(a.id));
    }

    // Adds windows to the table: every request goes out before the first
    // reply is read, so the batch costs one round trip.
    void fetch(const std::vector<xcb_window_t>& ids, bool index) {
        std::vector<Ask> asks;
        asks.reserve(ids.size());
        for (const xcb_window_t id : ids) asks.push_back(ask(id));
        for (Ask& a : asks) {
            while (!a.complete()) take_one(a, /*block=*/true);
            settle(a, index);
        }
    }

    // Windows created since the walk: asked about now, added to the table
    // when their answers have arrived (sync reads them), so that no look-up
    // waits for the server however fast another client makes windows.
    void ask_fresh() {
        if (fresh.empty()) return;
        for (const xcb_window_t id : fresh) asking.push_back(ask(id));
        fresh.clear();
        xcb_flush(c());
    }

    void take_answered(bool block = false) {
        while (!asking.empty()) {
            Ask& a = asking.front();
            while (!a.complete() && take_one(a, block)) {
            }
            if (!a.complete()) return;
            settle(a, /*index=*/!block);
            asking.pop_front();
        }
    }

    // A window manager counts when its check window names itself.
    void verify_wm(xcb_window_t check) {
        if (check == wm_check) return;
        wm_check = 0;
        if (check == 0) return;
        // The same events as for any top-level window: selecting replaces.
        xcb_change_window_attributes(c(), check, XCB_CW_EVENT_MASK, &kClientEvents);
        auto r = wait(xcb_get_property_reply,
                      get_property(check, atoms[kNetSupportingWmCheck], XCB_ATOM_WINDOW, 1));
        const auto self = property_longs(r.get(), XCB_ATOM_WINDOW);
        if (!self.empty() && self[0] == check) wm_check = check;
    }

    xcb_window_t walk() {
        snapshot.clear();
        position.clear();
        const auto tree_cookie = xcb_query_tree_unchecked(c(), root);
        const auto check_cookie =
            get_property(root, atoms[kNetSupportingWmCheck], XCB_ATOM_WINDOW, 1);
        const auto supported_cookie = get_property(root, atoms[kNetSupported], XCB_ATOM_ATOM, 4096);
        const auto stacking_cookie =
            get_property(root, atoms[kNetClientListStacking], XCB_ATOM_WINDOW, 1u << 16);
        collect(true);
        take_answered(/*block=*/true);  // the index is rebuilt below
        auto tree = wait(xcb_query_tree_reply, tree_cookie);
        auto check = wait(xcb_get_property_reply, check_cookie);
        auto supported = wait(xcb_get_property_reply, supported_cookie);
        auto stacking = wait(xcb_get_property_reply, stacking_cookie);
        if (!tree) return 0;  // the connection is gone

        const auto check_list = property_longs(check.get(), XCB_ATOM_WINDOW);
        verify_wm(check_list.empty() ? 0 : check_list[0]);
        const auto supports = property_longs(supported.get(), XCB_ATOM_ATOM);
        auto lists = [&](AtomName a) {
            return std::find(supports.begin(), supports.end(), atoms[a]) != supports.end();
        };
        wm_closes = wm_check != 0 && lists(kNetCloseWindow);
        const bool by_wm = wm_check != 0 && lists(kNetClientListStacking) && stacking &&
                           stacking->type == XCB_ATOM_WINDOW;

        // The table holds every top-level window, so that hidden ones can be
        // found as well; the walk visits the managed clients when a window
        // manager stacks them, never its frames.
        const auto* kids = xcb_query_tree_children(tree.get());
        std::vector<xcb_window_t> members;
        std::unordered_set<xcb_window_t> member_set;
        std::unordered_set<xcb_window_t> clients;
        // Each window once, even if a list names it twice: the walk must end.
        auto add = [&](xcb_window_t id) {
            if (member_set.insert(id).second) members.push_back(id);
        };
        if (by_wm) {
            const auto list = property_longs(stacking.get(), XCB_ATOM_WINDOW);
            for (auto it = list.rbegin(); it != list.rend(); ++it) add(*it);
            clients.insert(list.begin(), list.end());
        }
        for (int i = xcb_query_tree_children_length(tree.get()); i-- > 0;) add(kids[i]);

        std::erase_if(windows,
                      [&](const auto& entry) { return !member_set.contains(entry.first); });
        fresh.clear();
        std::vector<xcb_window_t> unknown;
        for (const xcb_window_t id : members)
            if (!windows.contains(id)) unknown.push_back(id);
        fetch(unknown, /*index=*/false);

        // The index, rebuilt in the new stacking order.
        by_key.clear();
        next_rank = 0;
        for (const xcb_window_t id : members) {
            auto it = windows.find(id);
            if (it == windows.end()) continue;
            Window& w = it->second;
            w.rank = next_rank++;
            w.managed = clients.contains(id);
            if (!w.override_redirect) {
                if (!w.key.empty()) by_key[w.key].push_back(id);
                if (!by_wm || w.managed) {
                    position.emplace(id, snapshot.size());
                    snapshot.push_back(id);
                }
            }
        }
        xcb_flush(c());
        return snapshot.empty() ? 0 : snapshot.front();
    }

    const Window* known(WindowId w) {
        sync();
        if (!live()) return nullptr;
        auto it = windows.find(static_cast<xcb_window_t>(w));
        if (w > 0xFFFFFFFFu || it == windows.end() || it->second.override_redirect) return nullptr;
        return &it->second;
    }

    void send(xcb_window_t to, std::uint32_t mask, xcb_window_t window, xcb_atom_t type,
              std::array<std::uint32_t, 5> data) {
        xcb_client_message_event_t ev{};
        ev.response_type = XCB_CLIENT_MESSAGE;
        ev.format = 32;
        ev.window = window;
        ev.type = type;
        std::copy(data.begin(), data.end(), ev.data.data32);
        xcb_send_event(c(), 0, to, mask, reinterpret_cast<const char*>(&ev));
        xcb_flush(c());
    }
};

std::unique_ptr<X11WindowSystem> X11WindowSystem::open() {
    return open(nullptr);
}

std::unique_ptr<X11WindowSystem> X11WindowSystem::open(const char* display_name) {
    auto s = std::make_unique<State>();
    s->wayland = wayland_session();
    auto opened = connect(display_name);
    if (!opened) {
        s->reason = opened.error().message;
        return std::unique_ptr<X11WindowSystem>(new X11WindowSystem(std::move(s)));
    }
    s->conn = std::move(opened.value().conn);
    s->root = opened.value().root;
    xcb_change_window_attributes(s->c(), s->root, XCB_CW_EVENT_MASK, &kRootEvents);
    std::array<xcb_intern_atom_cookie_t, kAtomCount> cookies{};
    for (std::size_t i = 0; i < kAtomCount; ++i)
        cookies[i] = xcb_intern_atom(
            s->c(), 0, static_cast<std::uint16_t>(std::strlen(kAtomNames[i])), kAtomNames[i]);
    for (std::size_t i = 0; i < kAtomCount; ++i) {
        auto r = s->wait(xcb_intern_atom_reply, cookies[i]);
        s->atoms[i] = r ? r->atom : xcb_atom_t{XCB_ATOM_NONE};
    }
    return std::unique_ptr<X11WindowSystem>(new X11WindowSystem(std::move(s)));
}

X11WindowSystem::X11WindowSystem(std::unique_ptr<State> state) : s_(std::move(state)) {}
X11WindowSystem::~X11WindowSystem() = default;

WindowId X11WindowSystem::first_top_level(WindowId /*from*/) {
    s_->sync(/*force=*/true);
    if (!s_->live()) return 0;
    return s_->walk();
}

WindowId X11WindowSystem::next_top_level(WindowId w) {
    s_->sync();
    if (!s_->live()) return 0;
    const auto at = s_->position.find(static_cast<xcb_window_t>(w));
    if (w > 0xFFFFFFFFu || at == s_->position.end() || !s_->windows.contains(at->first)) return 0;
    // Windows destroyed since the walk began are passed over.
    for (std::size_t i = at->second + 1; i < s_->snapshot.size(); ++i)
        if (s_->windows.contains(s_->snapshot[i])) return s_->snapshot[i];
    return 0;
}

bool X11WindowSystem::is_visible(WindowId w) {
    const auto* k = s_->known(w);
    return k != nullptr && (k->viewable || k->iconic);
}

WindowId X11WindowSystem::owner(WindowId w) {
    const auto* k = s_->known(w);
    if (k == nullptr || k->transient_for == s_->root || k->transient_for == w) return 0;
    return k->transient_for;
}

std::string X11WindowSystem::title(WindowId w) {
    const auto* k = s_->known(w);
    return k != nullptr ? k->title : std::string();
}

WindowId X11WindowSystem::find_by_title(std::string_view title) {
    s_->sync();
    if (!s_->live()) return 0;
    s_->ask_fresh();
    // normalize_title changes only non-ASCII characters, and most
    // candidates are plain ASCII: skip it for them.
    const bool ascii = std::all_of(title.begin(), title.end(),
                                   [](char ch) { return static_cast<unsigned char>(ch) < 0x80; });
    const auto it = s_->by_key.find(text::fold_case(ascii ? title : text::normalize_title(title)));
    return it == s_->by_key.end() ? 0 : it->second.front();
}

void X11WindowSystem::post_close(WindowId w) {
    const auto* k = s_->known(w);
    // A window that does not take WM_DELETE_WINDOW is left alone: a window
    // manager asked to close it would kill its client, and with it every
    // other window of that program.
    if (k == nullptr || !k->deletable) return;
    const auto id = static_cast<xcb_window_t>(w);
    if (s_->wm_closes && k->managed) {
        s_->send(s_->root,
                 XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY, id,
                 s_->atoms[kNetCloseWindow],
                 {XCB_CURRENT_TIME, XCB_EWMH_CLIENT_SOURCE_TYPE_OTHER, 0, 0, 0});
    } else {
        s_->send(id, XCB_EVENT_MASK_NO_EVENT, id, s_->atoms[kWmProtocols],
                 {s_->atoms[kWmDeleteWindow], XCB_CURRENT_TIME, 0, 0, 0});
    }
}

std::string X11WindowSystem::notice() const {
    if (!s_->conn) return s_->reason;
    if (!s_->live()) return std::string("Lost the connection to the X display") + kNoWindows;
    if (s_->wayland) return "Wayland session: only X11 (XWayland) windows can be listed and closed";
    return {};
}

int X11WindowSystem::event_fd() const {
    return s_->live() ? xcb_get_file_descriptor(s_->c()) : -1;
}

void X11WindowSystem::process_events() {
    s_->sync(/*force=*/true);
}

std::uint64_t X11WindowSystem::replies_waited() const {
    return s_->waited;
}

}  // namespace vorlix::platform::x11
