// Window systems for the benchmarks only: one that passes every call on
// (subclasses replace some), and one that also counts the look-ups.
#pragma once

#include <string>
#include <string_view>

#include "platform/window_system.h"

namespace vorlix::bench {

// Passes every call to another window system; subclasses replace some.
class ForwardingWindowSystem : public platform::WindowSystem {
public:
    explicit ForwardingWindowSystem(platform::WindowSystem& inner) : inner_(inner) {}

    platform::WindowId first_top_level(platform::WindowId from) override {
        return inner_.first_top_level(from);
    }
    platform::WindowId next_top_level(platform::WindowId w) override {
        return inner_.next_top_level(w);
    }
    bool is_visible(platform::WindowId w) override { return inner_.is_visible(w); }
    platform::WindowId owner(platform::WindowId w) override { return inner_.owner(w); }
    std::string title(platform::WindowId w) override { return inner_.title(w); }
    platform::WindowId find_by_title(std::string_view title) override {
        return inner_.find_by_title(title);
    }
    std::optional<platform::WindowId> find_by_keys(const TitleKey& head,
                                                   const TitleKey& tail) override {
        return inner_.find_by_keys(head, tail);
    }
    const TitleIndex* title_index() override { return inner_.title_index(); }
    bool post_close(platform::WindowId w) override { return inner_.post_close(w); }
    std::string notice() const override { return inner_.notice(); }

private:
    platform::WindowSystem& inner_;
};

class CountingWindowSystem final : public ForwardingWindowSystem {
public:
    using ForwardingWindowSystem::ForwardingWindowSystem;
    long lookups() const { return lookups_; }

    platform::WindowId find_by_title(std::string_view title) override {
        ++lookups_;
        return ForwardingWindowSystem::find_by_title(title);
    }
    std::optional<platform::WindowId> find_by_keys(const TitleKey& head,
                                                   const TitleKey& tail) override {
        ++lookups_;
        return ForwardingWindowSystem::find_by_keys(head, tail);
    }

private:
    long lookups_ = 0;
};

}  // namespace vorlix::bench
