#include "app/blacklist_save.h"

#include "app/scoped_value.h"
#include "core/data_files.h"
#include "core/file_rewrite.h"
#include "core/lines.h"

namespace vorlix::app {

BlacklistSave::BlacklistSave(platform::Services services, const SortedList& list,
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
        // A copy, so that an edit during the yields cannot make this pass
        // skip or repeat a title; the edit is written by the next pass.
        const std::vector<std::string> entries = list_.entries();
        std::string bytes;
        for (const std::string& entry : entries) {
            lines::append_line(bytes, entry_title(entry));
            services_.toolkit.do_events();
        }
        write(bytes);
    } while (again_);
}

void BlacklistSave::finish_now() {
    if (!running_) return;
    write(bytes_of(list_.entries()));
    again_ = false;
}

std::string BlacklistSave::bytes_of(const std::vector<std::string>& entries) const {
    std::string bytes;
    for (const std::string& entry : entries) lines::append_line(bytes, entry_title(entry));
    return bytes;
}

void BlacklistSave::write(const std::string& bytes) {
    const platform::AppInfo app = services_.toolkit.app_info();
    const Status saved =
        rewrite_file(services_.files, data_files::path_of(app, data_files::kBlacklistName), bytes);
    if (!saved) status_.set_status("  Could not save the blacklist: " + saved.error().message);
}

}  // namespace vorlix::app
