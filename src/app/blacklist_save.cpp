#include "app/blacklist_save.h"

#include "base/scoped_value.h"
#include "core/data_files.h"
#include "core/file_rewrite.h"
#include "core/lines.h"

namespace vorlix::app {

BlacklistSave::BlacklistSave(platform::Services services, const core::SortedList& list,
                             platform::MainWindowView& status)
    : services_(services), list_(list), status_(status) {}

void BlacklistSave::Save_Blacklist() {
    if (running_) {
        again_ = true;
        return;
    }
    ScopedValue<bool> running(running_, true);
    do {
        again_ = false;
        // An edit during the yields is written by the next pass.
        write(bytes_of(list_.entries(), /*yielding=*/true));
    } while (again_);
}

void BlacklistSave::finish_now() {
    if (!running_) return;
    write(bytes_of(list_.entries(), /*yielding=*/false));
    again_ = false;
}

std::string BlacklistSave::bytes_of(std::vector<std::string> entries, bool yielding) {
    std::string bytes;
    for (const std::string& entry : entries) {
        core::lines::append_line(bytes, core::entry_title(entry));
        if (yielding) services_.toolkit.do_events();
    }
    return bytes;
}

void BlacklistSave::write(const std::string& bytes) {
    const platform::AppInfo app = services_.toolkit.app_info();
    const Status saved = core::rewrite_file(
        services_.files, core::data_files::path_of(app, core::data_files::kBlacklistName), bytes);
    if (!saved) status_.set_status("  Could not save the blacklist: " + saved.error().message);
}

}  // namespace vorlix::app
