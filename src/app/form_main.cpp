#include "app/form_main.h"

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "base/scoped_value.h"
#include "core/data_files.h"
#include "core/lines.h"
#include "core/number.h"
#include "core/scanner.h"
#include "core/version.h"
#include "windowlist/module_function.h"

namespace vorlix::app {
namespace {

std::string application_caption() {
    return "Vorlix v" + std::to_string(core::version::kMajor) + "." +
           std::to_string(core::version::kMinor) + " (build " +
           std::to_string(core::version::kRevision) + ")";
}

}  // namespace

Form_Main::Form_Main(platform::Services services, core::ProgramState& state)
    : services_(services),
      state_(state),
      view_(services.toolkit.create_main_window(*this)),
      timer_destroy_(services.toolkit.create_timer([this] { Timer_Destroy_Timer(); })),
      save_(services, list_title_, *view_) {
    list_title_.attach(&view_->title_list());
    timer_destroy_->set_interval(core::number::kDefaultIntervalMs);
    timer_destroy_->set_enabled(false);
}

Form_Main::~Form_Main() {
    list_title_.attach(nullptr);
}

// Start-up reads the data files with a yield after every line, as the files
// may be long; neither window is shown yet.
int Form_Main::load_blacklist(const std::optional<std::string>& bytes) {
    if (!bytes) return 0;
    // Collected, then sorted in one go. Lines past the list's capacity are
    // read but not kept.
    std::vector<std::string> entries;
    for (core::lines::LineReader reader(*bytes); !reader.eof();) {
        std::string line = reader.read_line();
        if (entries.size() < static_cast<std::size_t>(core::SortedList::kMaxEntries)) {
            entries.push_back(core::make_entry(line));
        }
        services_.toolkit.do_events();
    }
    return list_title_.add_all(std::move(entries));
}

Status Form_Main::load_browser_names(const std::string& path) {
    state_.browser_names.clear();
    auto bytes = core::data_files::read_existing(services_.files, path);
    state_.browser_names_savable = bytes.ok();
    if (bytes && bytes.value()) {
        for (core::lines::LineReader reader(*bytes.value()); !reader.eof();) {
            state_.browser_names.push_back(reader.read_line());
            services_.toolkit.do_events();
        }
    }
    if (state_.browser_names.empty()) {
        state_.browser_names.emplace_back(core::data_files::kDefaultBrowserName);
    }
    if (!bytes) return bytes.error();
    return {};
}

long long Form_Main::count_lines(const std::optional<std::string>& bytes) {
    long long count = 0;
    if (bytes) {
        for (core::lines::LineReader reader(*bytes); !reader.eof();) {
            reader.read_line();
            ++count;
            services_.toolkit.do_events();
        }
    }
    return count;
}

void Form_Main::Form_Load() {
    auto& toolkit = services_.toolkit;
    const platform::AppInfo app = toolkit.app_info();

    state_.shown_titles.clear();
    view_->set_caption(application_caption());
    view_->set_lamp(Lamp::Waiting);
    timer_destroy_->set_interval(core::data_files::read_interval(
        services_.files, core::data_files::path_of(app, core::data_files::kConfigName)));

    // Read once: the lines are loaded, then counted in a pass of their own.
    auto blacklist = core::data_files::read_existing(
        services_.files, core::data_files::path_of(app, core::data_files::kBlacklistName));
    const std::optional<std::string> blacklist_bytes =
        blacklist ? std::move(blacklist).value() : std::nullopt;
    const int loaded = load_blacklist(blacklist_bytes);
    // The names must be complete before the panel's first refresh uses them.
    const Status names =
        load_browser_names(core::data_files::path_of(app, core::data_files::kBrowserNamesName));
    const long long line_count = count_lines(blacklist_bytes);
    state_.kill_count = 0;

    // Any use of the panel below makes it again when it was closed during a
    // yield of its load.
    load_panel();

    if (line_count > 0) {
        std::string status = "  Blacklist loaded: " + std::to_string(loaded) + " popup filtered";
        if (line_count > loaded) {
            status += " (" + std::to_string(line_count - loaded) + " more lines not loaded)";
        }
        view_->set_status(status);
    }
    if (!names) {
        view_->set_status("  Could not read the browser names: " + names.error().message);
    }
    if (!blacklist) {
        // Said at once, before an edit replaces a file the user may want back.
        view_->set_status("  Could not read the blacklist: " + blacklist.error().message);
    }

    // The pair is centred across, with the docking gap between; the main
    // window alone is centred down.
    const platform::ScreenSize screen = toolkit.screen_size();
    const platform::PanelView* placed = load_panel();
    const float panel_width = placed ? placed->width() : 0.0f;
    view_->move((screen.width - view_->width() - panel_width - windowlist::kDockGap) / 2.0f,
                (screen.height - view_->height()) / 2.0f);

    view_->show();
    if (auto* panel = load_panel()) {
        panel->show();
        // The design caption already says shown, unless a panel closed during
        // the yields above has changed it.
        view_->set_window_button(true);
    }

    timer_destroy_->set_enabled(true);
    if (load_panel()) panel_->Timer_PosWindow()->set_enabled(true);
}

platform::PanelView* Form_Main::load_panel() {
    platform::PanelView* panel = panel_->ensure_loaded();
    if (panel && !panel_->still(sized_)) {
        panel->set_height(platform::layout::kPanelHeight);
        sized_ = panel_->life();
    }
    return panel;
}

void Form_Main::Timer_Destroy_Timer() {
    // A tick due during a tick, or during a refresh of the panel whose list
    // is half refilled (it would count Mozilla entries wrong), is skipped.
    if (scanning_ || panel_->refreshing()) return;
    ScopedValue<bool> scanning(scanning_, true);

    view_->set_lamp(Lamp::Scanning);
    panel_->Update_Window_List();
    const int mozilla = core::scanner::mozilla_count(panel_->List_Window().entries());
    if (list_title_.count() > 0) {
        auto& windows = services_.windows;
        const core::scanner::Hooks hooks{
            [&windows](const std::string& candidate) { return windows.find_by_title(candidate); },
            [&windows](platform::WindowId w) { return windows.post_close(w); },
            [this] { return services_.toolkit.do_events(); },
            [this](double kills) { view_->set_status(core::scanner::killed_status(kills)); },
            [&windows](const TitleKey& title, const TitleKey& suffix) {
                return windows.find_by_keys(title, suffix);
            },
            [&windows] { return windows.title_index(); },
        };
        core::scanner::walk(list_title_, state_.browser_names, mozilla, state_.kill_count, hooks,
                            scan_keys_);
    }
    // A suspend that came during the walk keeps its yellow lamp.
    view_->set_lamp(timer_destroy_->enabled() ? Lamp::Waiting : Lamp::Suspended);
}

void Form_Main::Command_ADD_Click() {
    if (view_->title_text().empty()) {
        services_.toolkit.message_box("Insert a title!", kMessageCaption,
                                      platform::kMessageBoxExclamationOk);
        return;
    }
    if (list_title_.count() >= core::SortedList::kMaxEntries) {
        view_->set_status("  The blacklist is full (" +
                          std::to_string(core::SortedList::kMaxEntries) + " titles)");
        return;
    }
    const std::string title = view_->title_text();
    list_title_.add(core::make_entry(title));
    view_->set_title_text("");
    // The status line's texts are fixed, so the confirmation is spoken alone.
    view_->announce("Added " + title);
    Save_Blacklist();
}

void Form_Main::Command_REMOVE_Click() {
    if (list_title_.selected() < 0) {
        services_.toolkit.message_box("Select a title!", kMessageCaption,
                                      platform::kMessageBoxExclamationOk);
        return;
    }
    list_title_.remove(list_title_.selected());
    view_->set_title_text("");
    Save_Blacklist();
}

void Form_Main::Text_Title_KeyDown(int key_code) {
    if (key_code == kReturnKey) Command_ADD_Click();
}

void Form_Main::List_Title_Click() {
    const int selected = list_title_.selected();
    if (selected < 0 || selected >= list_title_.count()) return;
    view_->set_title_text(core::entry_title(list_title_.at(selected)));
}

void Form_Main::Command_Timer_Click() {
    timer_destroy_->set_enabled(false);
    view_->set_active_picture_visible(false);
    view_->set_suspended_picture_visible(true);
    view_->set_lamp(Lamp::Suspended);
}

void Form_Main::Command_TimerS_Click() {
    timer_destroy_->set_enabled(true);
    view_->set_suspended_picture_visible(false);
    view_->set_active_picture_visible(true);
    view_->set_lamp(Lamp::Waiting);
}

void Form_Main::Command_Window_Click() {
    auto* panel = panel_->ensure_loaded();
    if (!panel) return;
    const windowlist::PanelLife life = panel_->life();
    if (!panel->visible()) {
        panel->show();
        panel_->Update_Window_List();
        // Closed during the refresh's yields: its unload has set the caption.
        if (!panel_->still(life)) return;
        view_->set_window_button(true);
        view_->title_list().focus();
        panel_->Timer_PosWindow()->set_enabled(true);
    } else {
        panel->hide();
        view_->set_window_button(false);
        view_->title_list().focus();
        panel_->Timer_PosWindow()->set_enabled(false);
    }
}

void Form_Main::Form_Unload(int& cancel) {
    (void)cancel;
    // Nothing is saved at the end, as every edit was saved when made; only a
    // save still yielding would lose the last edits.
    save_.finish_now();
    services_.toolkit.end();
}

}  // namespace vorlix::app
