// The forms toolkit: the two windows' controls, timers, the yield, the message
// box and the application's facts. The behaviour (src/app, src/windowlist,
// src/autostart) drives these; an adapter (Qt, Win32, the tests' fake) only
// translates.
//
// State lives in exactly one place. A control's own state (a text box's
// text, a check box's value, a picture's visibility, a lamp's colour, a
// timer's interval) lives in the control and is read back from it. The one
// exception is a list box's entries: their order is the behaviour's (one
// collation on every platform), so the behaviour keeps the entries and the
// view only mirrors the inserts and removals it is told about; a view never
// sorts, and its entries change only through ListBoxView's calls.
//
// Units: positions and sizes are twips (1440 to the inch) as single-precision
// floats, converted by the adapter at the screen's dots per inch; window
// geometry is the outer frame. Colours are packed 0x00BBGGRR.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/form_layout.h"
#include "platform/window_system.h"

namespace vorlix::platform {

class Timer {
public:
    virtual ~Timer() = default;  // a destroyed timer never ticks again
    // Whole milliseconds; 0 means the timer never ticks.
    virtual void set_interval(int ms) = 0;
    virtual int interval() const = 0;
    // Enabling (from disabled) starts a fresh interval: the first tick comes
    // one whole interval later. Ticks arrive through the event loop only.
    virtual void set_enabled(bool enabled) = 0;
    virtual bool enabled() const = 0;
};

// A list box whose order the behaviour decides. Positions are 0-based.
// Only a user's action raises the owner's click event; none of these calls
// does.
class ListBoxView {
public:
    virtual ~ListBoxView() = default;
    virtual void insert(int pos, std::string_view text) = 0;
    virtual void remove(int pos) = 0;
    virtual void clear() = 0;
    // The selected position, -1 when none. Inserts and removals elsewhere
    // shift it as the entries move; removing the selected entry leaves none.
    virtual int selected() const = 0;
    // Gives the list the keyboard focus (the parameterless list operation
    // the panel toggle calls).
    virtual void focus() = 0;
};

// Events of the main window, implemented by the behaviour. Names follow the
// controls they belong to.
class MainWindowEvents {
public:
    virtual ~MainWindowEvents() = default;
    virtual void Command_ADD_Click() = 0;
    virtual void Command_REMOVE_Click() = 0;
    // The shift state is not looked at, so it is not passed.
    virtual void Text_Title_KeyDown(int key_code) = 0;
    virtual void List_Title_Click() = 0;
    virtual void Command_Timer_Click() = 0;   // the Active picture
    virtual void Command_TimerS_Click() = 0;  // the Suspended picture
    virtual void Command_Window_Click() = 0;
    // The user closes the main window. `cancel` is the toolkit's flag; the
    // behaviour leaves it 0.
    virtual void Form_Unload(int& cancel) = 0;
};

class MainWindowView {
public:
    virtual ~MainWindowView() = default;

    virtual void set_caption(std::string_view caption) = 0;
    virtual float left() const = 0;
    virtual float top() const = 0;
    virtual float width() const = 0;
    virtual float height() const = 0;
    virtual void move(float left, float top) = 0;
    virtual void show() = 0;

    // Text_Title
    virtual std::string title_text() const = 0;
    virtual void set_title_text(std::string_view text) = 0;
    // List_Title
    virtual ListBoxView& title_list() = 0;
    // Shape_Status
    virtual void set_lamp(layout::Lamp lamp) = 0;
    // Label_Status
    virtual void set_status(std::string_view text) = 0;
    // Command_Timer (Active) and Command_TimerS (Suspended)
    virtual void set_active_picture_visible(bool visible) = 0;
    virtual void set_suspended_picture_visible(bool visible) = 0;
    // Command_Window: its caption and name follow whether the panel is shown,
    // and a change is announced (kPanelShownWords, kPanelHiddenWords).
    virtual void set_window_button(bool panel_shown) = 0;
    // Tells a screen reader `words` whichever window has the focus; nothing
    // shows. set_status announces each new status line the same way.
    virtual void announce(std::string_view words) = 0;
};

inline constexpr char kPanelShownWords[] = "Window list shown";
inline constexpr char kPanelHiddenWords[] = "Window list hidden";

// Events of the window-list panel, implemented by the behaviour.
class PanelEvents {
public:
    virtual ~PanelEvents() = default;
    virtual void List_Window_Click() = 0;
    virtual void Check_Autostart_Click() = 0;
    virtual void Label_Site_Click() = 0;
    // The user closes the panel (close box or the window system's close).
    // With `cancel` left 0 the panel goes away: the handler releases its
    // PanelView, and the adapter must tolerate that view being destroyed
    // inside this very call (it defers the real destruction).
    virtual void Form_Unload(int& cancel) = 0;
};

class PanelView {
public:
    virtual ~PanelView() = default;

    virtual float left() const = 0;
    virtual float top() const = 0;
    virtual float width() const = 0;
    virtual float height() const = 0;
    virtual void set_left(float left) = 0;
    virtual void set_top(float top) = 0;
    virtual void set_height(float height) = 0;
    virtual bool visible() const = 0;
    virtual void show() = 0;  // shows and activates
    virtual void hide() = 0;
    // The panel's top-level window as the window system names it.
    virtual WindowId window_id() const = 0;

    // List_Window
    virtual ListBoxView& window_list() = 0;
    // Check_IWindows: 0, 1 or 2.
    virtual int Check_IWindows_value() const = 0;
    // Check_Autostart. Changing the value by this call raises
    // PanelEvents::Check_Autostart_Click, as a user's click does; setting
    // the value it already has raises nothing.
    virtual int autostart_value() const = 0;
    virtual void set_autostart_value(int value) = 0;
    // The notice label and Label_Site.
    virtual void set_notice(std::string_view text) = 0;
    virtual void set_site_caption(std::string_view text) = 0;
};

// Facts about the running program.
struct AppInfo {
    std::string path;        // the executable's folder, no trailing separator
    std::string exe_name;    // the executable's name without extension
    char separator = '/';    // between the folder and a file name
    std::string exe_suffix;  // ".exe" on Windows, empty elsewhere
    // Where start-up decided the data files live (an installed copy cannot
    // write beside itself); unset, the executable's folder.
    std::optional<std::string> data_folder{};
};

struct ScreenSize {
    float width = 0;  // twips
    float height = 0;
};

inline constexpr int kMessageBoxExclamationOk = 0x30;

class Toolkit {
public:
    virtual ~Toolkit() = default;

    virtual std::unique_ptr<MainWindowView> create_main_window(MainWindowEvents& events) = 0;
    // Creates the panel, hidden; its controls hold their design values.
    virtual std::unique_ptr<PanelView> create_panel(PanelEvents& events) = 0;
    virtual std::unique_ptr<Timer> create_timer(std::function<void()> on_tick) = 0;

    // Delivers pending events (clicks, keys, timer ticks) and returns;
    // handlers may run inside it. False when it delivered nothing because it
    // passed the event loop moments ago (toolkits pace their passes): then
    // nothing ran and nothing changed.
    virtual bool do_events() = 0;
    // Modal; the result is not used.
    virtual void message_box(std::string_view text, std::string_view caption, int flags) = 0;
    virtual ScreenSize screen_size() const = 0;
    virtual AppInfo app_info() const = 0;

    // Runs the event loop until end().
    virtual int run() = 0;
    // Ends the program at once: no further event reaches any window.
    [[noreturn]] virtual void end() = 0;
};

}  // namespace vorlix::platform
