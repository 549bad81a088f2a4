// The window-list panel: its list of open windows (Update_Window_List), the
// browser filter, browser-name learning, docking, the title pick, the site
// label and the Autostart box.
//
// The object lives as long as the program; the panel window itself (the
// view) exists only between a load and an unload. Any use of a panel that
// does not exist creates it, hidden, and runs its load first.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/program_state.h"
#include "core/sorted_list.h"
#include "platform/platform.h"

namespace vorlix::windowlist {

inline constexpr std::string_view kSiteCaptionLead = "Visit our site: ";
inline constexpr std::string_view kOwnNotice = "Click a window to pick its title";
inline constexpr int kDockIntervalMs = 50;

// True when `title` holds " - " followed by one of the names.
bool is_browser_title(std::string_view title, const std::vector<std::string>& browser_names);

// The title less every browser suffix: each name, first to last, cuts the
// text before its first " - " + name.
std::string strip_browser_suffixes(std::string text, const std::vector<std::string>& browser_names);

// The name a Mozilla or Netscape title teaches ("" when it teaches none):
// the text after the " - " of the first " - Mozilla", else of the first
// " - Netscape".
std::string learnable_name(std::string_view title);

// One life of the panel window, from its load to its unload. A caller that
// yields keeps the life it began with and asks afterwards whether that panel
// is still the one there: any yield may close it, and a later use makes a
// new one.
class PanelLife {
public:
    PanelLife() = default;  // no panel
    bool operator==(const PanelLife&) const = default;

private:
    friend class Form_WindowList;
    explicit PanelLife(unsigned n) : n_(n) {}
    unsigned n_ = 0;
};

class Form_WindowList final : public platform::PanelEvents {
public:
    Form_WindowList(platform::Services services, core::ProgramState& state,
                    platform::MainWindowView& main);
    Form_WindowList(const Form_WindowList&) = delete;
    Form_WindowList& operator=(const Form_WindowList&) = delete;
    ~Form_WindowList() override;

    // A use of the panel: creates and loads it when it does not exist.
    // Null only when the panel was closed again during its own load.
    platform::PanelView* ensure_loaded();
    bool exists() const { return view_ != nullptr; }
    // The panel there now (no panel when none exists), and whether a life
    // taken earlier is still that one.
    PanelLife life() const { return view_ ? life_ : PanelLife(); }
    bool still(PanelLife life) const { return view_ != nullptr && life == life_; }

    // Refreshes List_Window from the desktop's windows and learns browser
    // names. A call nested in a running one for the same panel returns at
    // once; a call whose panel goes away during a yield ends quietly.
    void Update_Window_List();

    // True while a refresh of this panel runs (it may be refilling the list).
    bool refreshing() const { return still(refreshing_); }

    const core::SortedList& List_Window() const { return list_window_; }
    // Null while the panel does not exist.
    platform::Timer* Timer_PosWindow() { return timer_pos_window_.get(); }
    void Timer_PosWindow_Timer();

    // platform::PanelEvents
    void List_Window_Click() override;
    void Check_Autostart_Click() override;
    void Label_Site_Click() override;
    void Form_Unload(int& cancel) override;

private:
    void Form_Load();
    void save_browser_names();

    platform::Services services_;
    core::ProgramState& state_;
    platform::MainWindowView& main_;

    std::unique_ptr<platform::PanelView> view_;
    std::unique_ptr<platform::Timer> timer_pos_window_;
    core::SortedList list_window_;
    PanelLife life_;        // of the panel loaded last
    PanelLife refreshing_;  // whose refresh is running; no panel for none
    std::string notice_;    // the notice the panel shows
};

}  // namespace vorlix::windowlist
