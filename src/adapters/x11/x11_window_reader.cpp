#include "adapters/x11/x11_window_reader.h"

#include <utility>

namespace vorlix::adapters::x11 {

void WindowReader::created(xcb_window_t id) {
    if (!table_.contains(id)) created_.insert(id);
}

void WindowReader::destroyed(xcb_window_t id) {
    created_.erase(id);
    for (Ask& a : asking_)
        if (a.id == id) a.gone = true;
    table_.erase(id);
}

WindowReader::Ask* WindowReader::asking(xcb_window_t id) {
    for (Ask& a : asking_)
        if (a.id == id && !a.gone) return &a;
    return nullptr;
}

void WindowReader::property_changed(xcb_window_t id, xcb_atom_t atom) {
    const Prop p = prop_named(link_, atom);
    if (p == kPropCount) return;
    if (const WindowInfo* w = table_.find(id)) {
        if (!w->override_redirect) refresh(id, p);
    } else if (Ask* a = asking(id)) {
        a->changed.set(p);  // asked again once it is stored
    }
}

void WindowReader::map_changed(xcb_window_t id, bool viewable) {
    if (WindowInfo* w = table_.find(id)) {
        w->viewable = viewable;
    } else if (Ask* a = asking(id)) {
        a->viewable = viewable;  // newer than the answer, or agreeing with it
    }
}

void WindowReader::refresh(xcb_window_t id, Prop p) {
    // Ask now, read the answer when it is there: no call waits for it.
    refreshing_.push_back({id, p, request_property(link_, id, p)});
    must_flush_ = true;
}

bool WindowReader::take_must_flush() {
    return std::exchange(must_flush_, false);
}

void WindowReader::take_refreshes(bool block) {
    while (!refreshing_.empty() && link_.live()) {
        const Refresh& p = refreshing_.front();
        void* raw = nullptr;
        if (!link_.take(p.cookie.sequence, block, &raw)) break;
        Reply<xcb_get_property_reply_t> r(static_cast<xcb_get_property_reply_t*>(raw));
        if (WindowInfo* w = table_.find(p.window); w != nullptr && r) {
            apply_property(link_, *w, p.prop, r.get());
            if (p.prop == kPropNetName || p.prop == kPropWmName) table_.retitle(p.window, *w);
        }
        refreshing_.pop_front();
    }
}

WindowReader::Ask WindowReader::ask(xcb_window_t id) {
    // Listen first, so that no change after the read goes unseen.
    xcb_change_window_attributes(link_.c(), id, XCB_CW_EVENT_MASK, &kClientEvents);
    Ask a;
    a.id = id;
    a.attributes = xcb_get_window_attributes_unchecked(link_.c(), id);
    for (std::size_t p = 0; p < kPropCount; ++p) a.props[p] = request_property(link_, id, Prop(p));
    return a;
}

bool WindowReader::take_one(Ask& a, bool block) {
    const unsigned int sequence =
        a.read == 0 ? a.attributes.sequence : a.props[a.read - 1].sequence;
    if (a.gone) {
        xcb_discard_reply(link_.c(), sequence);
        ++a.read;
        return true;
    }
    void* raw = nullptr;
    if (!link_.take(sequence, block, &raw)) return false;
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
        apply_property(link_, a.w, Prop(a.read - 1), r.get());
    }
    ++a.read;
    return true;
}

void WindowReader::settle(Ask& a, bool index) {
    if (a.gone) return;
    if (a.viewable) a.w.viewable = *a.viewable;
    const bool kept = !a.w.override_redirect;
    table_.store(a.id, std::move(a.w), index);
    for (std::size_t p = 0; p < kPropCount; ++p)
        if (kept && a.changed.test(p)) refresh(a.id, Prop(p));
}

void WindowReader::read_now(const std::vector<xcb_window_t>& ids) {
    std::vector<Ask> asks;
    asks.reserve(ids.size());
    for (const xcb_window_t id : ids) asks.push_back(ask(id));
    for (Ask& a : asks) {
        while (!a.complete()) take_one(a, /*block=*/true);
        settle(a, /*index=*/false);
    }
}

void WindowReader::ask_created() {
    if (created_.empty()) return;
    for (const xcb_window_t id : created_) asking_.push_back(ask(id));
    created_.clear();
    xcb_flush(link_.c());
}

void WindowReader::take_answers(bool block) {
    take_refreshes(block);
    while (!asking_.empty()) {
        Ask& a = asking_.front();
        while (!a.complete() && take_one(a, block)) {
        }
        if (!a.complete()) return;
        settle(a, /*index=*/!block);
        asking_.pop_front();
    }
}

}  // namespace vorlix::adapters::x11
