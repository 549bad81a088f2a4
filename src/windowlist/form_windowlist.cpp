#include "windowlist/form_windowlist.h"

#include <algorithm>
#include <utility>

#include "autostart/autostart.h"
#include "base/scoped_value.h"
#include "core/data_files.h"
#include "core/file_rewrite.h"
#include "core/lines.h"
#include "windowlist/module_function.h"

namespace vorlix::windowlist {
bool is_browser_title(std::string_view title, const std::vector<std::string>& browser_names) {
    for (const std::string& name : browser_names) {
        if (title.find(" - " + name) != std::string_view::npos) return true;
    }
    return false;
}

std::string strip_browser_suffixes(std::string text,
                                   const std::vector<std::string>& browser_names) {
    for (const std::string& name : browser_names) {
        const auto at = text.find(" - " + name);
        if (at != std::string::npos) text.erase(at);
    }
    return text;
}

std::string learnable_name(std::string_view title) {
    auto at = title.find(" - Mozilla");
    if (at == std::string_view::npos) at = title.find(" - Netscape");
    if (at == std::string_view::npos) return {};
    return std::string(title.substr(at + 3));
}

Form_WindowList::Form_WindowList(platform::Services services, core::ProgramState& state,
                                 platform::MainWindowView& main)
    : services_(services), state_(state), main_(main) {}

Form_WindowList::~Form_WindowList() {
    list_window_.attach(nullptr);
}

platform::PanelView* Form_WindowList::ensure_loaded() {
    if (!view_) Form_Load();
    return view_.get();
}

void Form_WindowList::Form_Load() {
    view_ = services_.toolkit.create_panel(*this);
    life_ = PanelLife(life_.n_ + 1);
    const PanelLife life = life_;
    list_window_.attach(nullptr);
    list_window_.clear();
    list_window_.attach(&view_->window_list());
    timer_pos_window_ = services_.toolkit.create_timer([this] { Timer_PosWindow_Timer(); });
    timer_pos_window_->set_interval(kDockIntervalMs);
    timer_pos_window_->set_enabled(false);

    view_->set_site_caption(std::string(kSiteCaptionLead) + std::string(kSiteAddress));
    notice_.clear();  // the list's update shows it

    Dock_Window_List(main_, *view_);
    state_.shown_titles.clear();
    Update_Window_List();
    if (!still(life)) return;
    if (autostart::is_registered(services_.registry)) {
        // Raises Check_Autostart_Click, which writes this copy's path again.
        view_->set_autostart_value(1);
    }
}

void Form_WindowList::Form_Unload(int& cancel) {
    (void)cancel;  // closing always goes ahead
    if (!view_) return;
    main_.set_window_button(false);
    if (timer_pos_window_) timer_pos_window_->set_enabled(false);
    timer_pos_window_.reset();
    list_window_.attach(nullptr);
    list_window_.clear();
    state_.shown_titles.clear();
    view_.reset();
}

void Form_WindowList::Update_Window_List() {
    if (!ensure_loaded()) return;
    const PanelLife life = life_;
    // A nested refresh of the same panel would refill the list under the
    // running one; the running one already brings it up to date.
    if (refreshing()) return;
    ScopedValue<PanelLife> refreshing(refreshing_, life);

    // The window system's notice changes, for one, when its display is lost.
    std::string notice = services_.windows.notice();
    if (notice.empty()) notice = kOwnNotice;
    if (notice != notice_) {
        view_->set_notice(notice);
        notice_ = std::move(notice);
    }

    auto& toolkit = services_.toolkit;
    auto& windows = services_.windows;
    const platform::WindowId self = view_->window_id();

    std::vector<std::string> all_titles;
    std::vector<std::string> display;
    for (platform::WindowId h = windows.first_top_level(self); h != 0;) {
        // Each question may be a call to the window server: asked only while
        // the answer still matters.
        if (h != self && windows.is_visible(h) && windows.owner(h) == 0) {
            std::string title = windows.title(h);
            if (!title.empty()) {
                const bool browser = is_browser_title(title, state_.browser_names);
                all_titles.push_back(title);
                if (view_->Check_IWindows_value() == 0 || browser) {
                    display.push_back(std::move(title));
                }
            }
        }
        h = windows.next_top_level(h);
        toolkit.do_events();
        if (!still(life)) return;
    }

    // The list box holds at most so many titles; compared beyond that, a
    // flood of windows would look like a change on every call.
    if (display.size() > static_cast<std::size_t>(core::SortedList::kMaxEntries)) {
        display.resize(static_cast<std::size_t>(core::SortedList::kMaxEntries));
    }
    if (display != state_.shown_titles) {
        // The list box and the shown-titles list change together, one title
        // at a time, so they agree at every yield.
        list_window_.clear();
        state_.shown_titles.clear();
        for (std::string& title : display) {
            if (list_window_.add(title) >= 0) state_.shown_titles.push_back(std::move(title));
            toolkit.do_events();
            if (!still(life)) return;
        }
    }

    bool learned = false;
    for (const std::string& title : all_titles) {
        std::string name = learnable_name(title);
        if (name.empty()) continue;
        auto& names = state_.browser_names;
        if (std::find(names.begin(), names.end(), name) == names.end()) {
            names.push_back(std::move(name));
            learned = true;
        }
    }
    if (learned && state_.browser_names_savable) save_browser_names();
}

void Form_WindowList::save_browser_names() {
    const platform::AppInfo app = services_.toolkit.app_info();
    const Status saved = core::rewrite_file(
        services_.files, core::data_files::path_of(app, core::data_files::kBrowserNamesName),
        core::lines::join(state_.browser_names));
    if (!saved) main_.set_status("  Could not save the browser names: " + saved.error().message);
}

void Form_WindowList::Timer_PosWindow_Timer() {
    if (view_) Dock_Window_List(main_, *view_);
}

void Form_WindowList::List_Window_Click() {
    const int selected = list_window_.selected();
    if (selected < 0 || selected >= list_window_.count()) return;
    main_.set_title_text(strip_browser_suffixes(list_window_.at(selected), state_.browser_names));
}

void Form_WindowList::Check_Autostart_Click() {
    if (!view_) return;
    autostart::Check_Autostart_Click(services_.registry, services_.toolkit.app_info(),
                                     view_->autostart_value());
}

void Form_WindowList::Label_Site_Click() {
    Open_Web_Site(services_.runner);
}

}  // namespace vorlix::windowlist
