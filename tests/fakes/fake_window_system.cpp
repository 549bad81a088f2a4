#include "fake_window_system.h"

#include "base/text.h"

namespace vorlix::test {

platform::WindowId FakeWindowSystem::add(std::string title, bool visible,
                                         platform::WindowId owner) {
    const platform::WindowId id = next_id_++;
    windows_.push_back({id, std::move(title), visible, owner});
    return id;
}

platform::WindowId FakeWindowSystem::add_on_top(std::string title) {
    const platform::WindowId id = next_id_++;
    windows_.insert(windows_.begin(), {id, std::move(title), true, 0});
    return id;
}

void FakeWindowSystem::add_with_id(platform::WindowId id, std::string title) {
    windows_.push_back({id, std::move(title), true, 0});
}

void FakeWindowSystem::remove(platform::WindowId id) {
    const long i = index_of(id);
    if (i >= 0) windows_.erase(windows_.begin() + i);
}

void FakeWindowSystem::retitle(platform::WindowId id, std::string title) {
    const long i = index_of(id);
    if (i >= 0) windows_[static_cast<std::size_t>(i)].title = std::move(title);
}

void FakeWindowSystem::raise(platform::WindowId id) {
    const long i = index_of(id);
    if (i < 0) return;
    FakeWindow w = windows_[static_cast<std::size_t>(i)];
    windows_.erase(windows_.begin() + i);
    windows_.insert(windows_.begin(), std::move(w));
}

void FakeWindowSystem::clear_records() {
    lookups_.clear();
    close_requests_.clear();
    walk_origins_.clear();
    walks_ = 0;
}

platform::WindowId FakeWindowSystem::first_top_level(platform::WindowId from) {
    ++walks_;
    walk_origins_.push_back(from);
    return windows_.empty() ? 0 : windows_.front().id;
}

platform::WindowId FakeWindowSystem::next_top_level(platform::WindowId w) {
    const long i = index_of(w);
    if (i < 0 || static_cast<std::size_t>(i + 1) >= windows_.size()) return 0;
    return windows_[static_cast<std::size_t>(i + 1)].id;
}

bool FakeWindowSystem::is_visible(platform::WindowId w) {
    const FakeWindow* window = find(w);
    return window != nullptr && window->visible;
}

platform::WindowId FakeWindowSystem::owner(platform::WindowId w) {
    const FakeWindow* window = find(w);
    return window ? window->owner : 0;
}

std::string FakeWindowSystem::title(platform::WindowId w) {
    const FakeWindow* window = find(w);
    return window ? window->title : std::string();
}

platform::WindowId FakeWindowSystem::find_by_title(std::string_view title) {
    lookups_.emplace_back(title);
    for (const FakeWindow& w : windows_) {
        if (text::equal_ignore_case(w.title, title)) return w.id;
    }
    return 0;
}

void FakeWindowSystem::post_close(platform::WindowId w) {
    close_requests_.push_back(w);
    if (close_on_request_) remove(w);
}

const FakeWindow* FakeWindowSystem::find(platform::WindowId id) const {
    const long i = index_of(id);
    return i < 0 ? nullptr : &windows_[static_cast<std::size_t>(i)];
}

long FakeWindowSystem::index_of(platform::WindowId id) const {
    for (std::size_t i = 0; i < windows_.size(); ++i) {
        if (windows_[i].id == id) return static_cast<long>(i);
    }
    return -1;
}

}  // namespace vorlix::test
