// Where the two windows' controls sit, what the fixed ones say and what
// assistive technology calls them: every toolkit builds its forms from these
// tables, so the windows look and read alike on every platform. Bounds are
// whole twips within the client area.
#pragma once

#include <array>
#include <cstdint>

namespace vorlix::platform {
using Colour = std::uint32_t;  // 0x00BBGGRR, red in the low byte
}

namespace vorlix::platform::layout {

struct Bounds {
    int left, top, width, height;
};

struct Control {
    const char* name;  // the control's name, as the events call it
    Bounds bounds;
    const char* caption;  // fixed text; empty when the program sets it
    const char* spoken;   // the accessible name; empty when it is the text shown
};

// The main window's client area.
inline constexpr int kMainWidth = 5970;
inline constexpr int kMainHeight = 4425;

enum MainControl : int {
    Image1,
    Text_Title,
    Command_ADD,
    Command_Window,
    List_Title,
    Command_REMOVE,
    Command_TimerS,
    Command_Timer,
    Shape_Status,
    Label_Status,
    kMainControls,
};

inline constexpr std::array<Control, kMainControls> kMain{{
    {"Image1", {840, 60, 4350, 465}, "", "Vorlix"},
    {"Text_Title", {120, 600, 3735, 285}, "", "Title"},
    {"Command_ADD", {3960, 600, 915, 315}, "", "Add"},
    {"Command_Window", {5115, 615, 630, 330}, ">>  <<", "Hide window list"},
    {"List_Title", {120, 1080, 5775, 2400}, "", "Blacklisted titles"},
    {"Command_REMOVE", {720, 3600, 1590, 330}, "", "Remove"},
    {"Command_TimerS", {3000, 3600, 2235, 435}, "", "Resume scanning"},
    {"Command_Timer", {3600, 3600, 1380, 435}, "", "Suspend scanning"},
    {"Shape_Status", {5400, 3660, 255, 255}, "", "Status lamp"},
    {"Label_Status", {240, 4080, 5535, 255}, "", "Status"},
}};

// The order the keyboard's Tab visits the main window's controls: the title
// field, the title list and the panel button keep their places among the rest.
inline constexpr std::array<MainControl, 7> kMainTabOrder{
    Text_Title,    Command_ADD,    List_Title,    Command_REMOVE,
    Command_Timer, Command_TimerS, Command_Window};

// Command_Window says what a press does to the panel: its design caption and
// name while the panel is shown, these while it is hidden.
inline constexpr char kWindowButtonHiddenCaption[] = "<<  >>";
inline constexpr char kWindowButtonHiddenName[] = "Show window list";

// Shape_Status: its design colour until the program starts, then red while
// a scan runs, green between scans, yellow while scanning is suspended. The
// word is the state as assistive technology gives it.
enum class Lamp { Design, Scanning, Waiting, Suspended };
struct LampLook {
    Colour colour;
    const char* word;
};
inline constexpr LampLook kLampLooks[] = {
    {0xFFFF, ""}, {0xFF, "scanning"}, {0xC000, "waiting"}, {0xEEDD, "suspended"}};
inline constexpr const LampLook& look_of(Lamp lamp) {
    return kLampLooks[static_cast<int>(lamp)];
}

// The panel: its client width and its outer height.
inline constexpr int kPanelWidth = 5175;
inline constexpr int kPanelHeight = 3750;
inline constexpr char kPanelCaption[] = "Vorlix - Window List";

enum PanelControl : int {
    List_Window,
    Check_IWindows,
    Check_Autostart,
    Line1,
    Label_Notice,
    Line2,
    Label_Site,
    kPanelControls,
};

inline constexpr std::array<Control, kPanelControls> kPanel{{
    {"List_Window", {120, 120, 4935, 1815}, "", "Open windows"},
    {"Check_IWindows", {240, 2040, 3015, 255}, "Display only Internet Windows", ""},
    {"Check_Autostart", {3720, 2040, 1215, 255}, "Autostart", ""},
    {"Line1", {120, 2400, 4920, 30}, "", ""},
    {"Label_Notice", {240, 2520, 4695, 255}, "", ""},
    {"Line2", {120, 3060, 4920, 30}, "", ""},
    {"Label_Site", {240, 3150, 4695, 255}, "", ""},
}};

inline constexpr std::array<PanelControl, 4> kPanelTabOrder{List_Window, Check_IWindows,
                                                            Check_Autostart, Label_Site};

}  // namespace vorlix::platform::layout
