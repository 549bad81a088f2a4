// The program above the platform: main builds the platform's services,
// hands them here, calls start() and then runs the toolkit's event loop.
#pragma once

#include <memory>

#include "app/form_main.h"
#include "core/program_state.h"
#include "platform/platform.h"
#include "windowlist/form_windowlist.h"

namespace vorlix::app {

class Program {
public:
    explicit Program(platform::Services services);
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;
    ~Program();

    // Creates Form_Main and runs its start-up sequence: on return both
    // windows are shown and scanning is on.
    void start();

    const core::ProgramState& state() const { return state_; }
    // Null before start().
    Form_Main* main_form() { return main_.get(); }
    windowlist::Form_WindowList* window_list() { return panel_.get(); }

private:
    platform::Services services_;
    core::ProgramState state_;
    std::unique_ptr<Form_Main> main_;
    // Declared after main_: the panel refers to the main window's view and
    // goes first.
    std::unique_ptr<windowlist::Form_WindowList> panel_;
};

}  // namespace vorlix::app
