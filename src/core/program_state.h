// The values both windows share, owned by Program for the whole run.
#pragma once

#include <string>
#include <vector>

namespace vorlix::core {

struct ProgramState {
    // The browser names at positions 1..N, as elements 0..N-1. Filled at
    // start-up, afterwards only ever appended to.
    std::vector<std::string> browser_names;
    // False when the browser-name file was there at start-up but could not be
    // read: learned names then stay in memory and never replace that file.
    bool browser_names_savable = true;
    // Exactly the titles List_Window holds, in the order the refresh added
    // them (the list box shows them sorted). Empty while there is no panel.
    std::vector<std::string> shown_titles;
    // Close requests posted since start-up; whole values only.
    double kill_count = 0;
};

}  // namespace vorlix::core
