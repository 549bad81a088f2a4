// Scripted top-level windows in stacking order, topmost first. Tests change
// them at any time, also from inside the program's yields; every look-up and
// close request is recorded.
#pragma once

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

#include "base/text.h"
#include "platform/window_system.h"

namespace vorlix::test {

struct FakeWindow {
    platform::WindowId id = 0;
    std::string title;
    bool visible = true;
    platform::WindowId owner = 0;
};

struct FakeWindowSystem final : platform::WindowSystem {
    // Adds a window below all others and returns its id.
    platform::WindowId add(std::string title, bool visible = true, platform::WindowId owner = 0) {
        windows.push_back({next_id_++, std::move(title), visible, owner});
        return windows.back().id;
    }
    FakeWindow* find(platform::WindowId id) {
        const auto it = std::find_if(windows.begin(), windows.end(),
                                     [id](const FakeWindow& w) { return w.id == id; });
        return it == windows.end() ? nullptr : &*it;
    }
    void remove(platform::WindowId id) {
        if (FakeWindow* w = find(id)) windows.erase(windows.begin() + (w - windows.data()));
    }

    platform::WindowId first_top_level(platform::WindowId) override {
        return windows.empty() ? 0 : windows.front().id;
    }
    platform::WindowId next_top_level(platform::WindowId w) override {
        const FakeWindow* at = find(w);
        return at == nullptr || at + 1 == windows.data() + windows.size() ? 0 : (at + 1)->id;
    }
    bool is_visible(platform::WindowId w) override { return find(w) && find(w)->visible; }
    platform::WindowId owner(platform::WindowId w) override { return find(w) ? find(w)->owner : 0; }
    std::string title(platform::WindowId w) override { return find(w) ? find(w)->title : ""; }
    platform::WindowId find_by_title(std::string_view title) override {
        lookups.emplace_back(title);
        const std::string key = text::title_key(title);
        return find_key([&](const std::string& k) { return k == key; });
    }
    // Recorded as the key looked up.
    std::optional<platform::WindowId> find_by_keys(const TitleKey& head,
                                                   const TitleKey& tail) override {
        lookups.push_back(head.text + tail.text);
        return find_key([&](const std::string& k) { return is_joined(k, head, tail); });
    }
    template <class Matches>
    platform::WindowId find_key(Matches matches) const {
        for (const FakeWindow& w : windows) {
            if (matches(text::title_key(w.title))) return w.id;
        }
        return 0;
    }
    bool post_close(platform::WindowId w) override {
        if (find(w) == nullptr) return false;  // gone: nothing is asked
        close_requests.push_back(w);
        if (close_on_request) remove(w);
        return true;
    }
    std::string notice() const override { return notice_text; }

    std::vector<FakeWindow> windows;
    bool close_on_request = false;  // by default a window stays until its owner closes it
    std::string notice_text;
    // What the program asked.
    std::vector<std::string> lookups;
    std::vector<platform::WindowId> close_requests;
    platform::WindowId next_id_ = 0x100;
};

}  // namespace vorlix::test
