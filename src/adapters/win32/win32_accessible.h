// What assistive technology hears of a control beyond what Windows reads from
// it: our name where the window text is none (a picture, an arrow), the
// lamp's state as a description, the role we choose. The object Windows
// builds for the control answers every other question.
#pragma once

#include <windows.h>
// After windows.h
#include <oleacc.h>

#include <string>

namespace vorlix::adapters::win32 {

struct Annotation {
    std::wstring name;         // empty: the control's own
    std::wstring description;  // empty: the control's own
    long role = 0;             // ROLE_SYSTEM_*; 0: the control's own
};

// From now on `control` answers accessibility clients with `annotation` laid
// over the standard object, read afresh at every question. `annotation` must
// outlive the control.
void annotate(HWND control, const Annotation* annotation);

// Tells the clients that listen that the name (EVENT_OBJECT_NAMECHANGE) or
// the description (EVENT_OBJECT_DESCRIPTIONCHANGE) of `control` changed, or
// that it is a live region with new text (kLiveRegionChanged).
void tell_clients(HWND control, DWORD event);
inline constexpr DWORD kLiveRegionChanged = 0x8019;  // EVENT_OBJECT_LIVEREGIONCHANGED

}  // namespace vorlix::adapters::win32
