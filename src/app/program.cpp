#include "app/program.h"

namespace vorlix::app {

Program::Program(platform::Services services) : services_(services) {}

Program::~Program() = default;

void Program::start() {
    main_ = std::make_unique<Form_Main>(services_, state_);
    panel_ = std::make_unique<windowlist::Form_WindowList>(services_, state_, main_->view());
    main_->attach_panel(*panel_);
    main_->Form_Load();
}

}  // namespace vorlix::app
