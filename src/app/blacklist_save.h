// Save_Blacklist: the blacklist file rewritten from List_Title after every
// edit.
#pragma once

#include <string>

#include "base/result.h"
#include "core/sorted_list.h"
#include "platform/platform.h"

namespace vorlix::app {

class BlacklistSave {
public:
    BlacklistSave(platform::Services services, const core::SortedList& list,
                  platform::MainWindowView& status);

    // Builds the file's bytes from the list with a yield after every line,
    // then replaces the file in one step. An edit that arrives during the
    // yields (a nested call) is not written by the running save, which
    // writes the list as it stood when it began; the running save then
    // starts over, so the file ends equal to the list. A failure leaves the
    // list alone and says so in the status line.
    void Save_Blacklist();

    // For the program's end: when a save is under way, writes the list as it
    // stands now, without yielding, so no edit is lost.
    void finish_now();

    bool busy() const { return running_; }

private:
    // `entries` is a copy of the list, so that an edit during the yields
    // cannot make a pass skip or repeat a title.
    std::string bytes_of(std::vector<std::string> entries, bool yielding);
    void write(const std::string& bytes);

    platform::Services services_;
    const core::SortedList& list_;
    platform::MainWindowView& status_;
    bool running_ = false;
    bool again_ = false;
};

}  // namespace vorlix::app
