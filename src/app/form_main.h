// The main window: start-up, the scan tick, scan control and blacklist
// editing.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "app/blacklist_save.h"
#include "core/program_state.h"
#include "core/scanner.h"
#include "core/sorted_list.h"
#include "platform/form_layout.h"
#include "platform/platform.h"
#include "windowlist/form_windowlist.h"

namespace vorlix::app {

using platform::layout::Lamp;
inline constexpr int kReturnKey = 13;
inline constexpr std::string_view kMessageCaption = "Vorlix";

class Form_Main final : public platform::MainWindowEvents {
public:
    // Creates the window (not shown) and its scan timer with their design
    // values.
    Form_Main(platform::Services services, core::ProgramState& state);
    Form_Main(const Form_Main&) = delete;
    Form_Main& operator=(const Form_Main&) = delete;
    ~Form_Main() override;

    void attach_panel(windowlist::Form_WindowList& panel) { panel_ = &panel; }
    platform::MainWindowView& view() { return *view_; }

    // The start-up sequence. Needs the panel attached.
    void Form_Load();

    // The scan tick. One that falls due while a tick or a refresh of the
    // panel is yielding is skipped.
    void Timer_Destroy_Timer();

    const core::SortedList& List_Title() const { return list_title_; }
    platform::Timer& Timer_Destroy() { return *timer_destroy_; }

    // platform::MainWindowEvents
    void Command_ADD_Click() override;
    void Command_REMOVE_Click() override;
    void Text_Title_KeyDown(int key_code) override;
    void List_Title_Click() override;
    void Command_Timer_Click() override;
    void Command_TimerS_Click() override;
    void Command_Window_Click() override;
    void Form_Unload(int& cancel) override;

private:
    void Save_Blacklist() { save_.Save_Blacklist(); }
    // How many entries were added.
    int load_blacklist(const std::optional<std::string>& bytes);
    // The default name when the file is missing or unreadable; the error
    // says why it could not be read.
    Status load_browser_names(const std::string& path);
    long long count_lines(const std::optional<std::string>& bytes);
    // A use of the panel at start-up: loads it when it does not exist and
    // gives a newly loaded one the main window's idea of its height.
    platform::PanelView* load_panel();

    platform::Services services_;
    core::ProgramState& state_;
    std::unique_ptr<platform::MainWindowView> view_;
    std::unique_ptr<platform::Timer> timer_destroy_;
    core::SortedList list_title_;
    BlacklistSave save_;
    windowlist::Form_WindowList* panel_ = nullptr;
    windowlist::PanelLife sized_;  // the panel given its height last
    bool scanning_ = false;
    core::scanner::WalkKeys scan_keys_;  // the names and titles keyed, between ticks
};

}  // namespace vorlix::app
