// Saves for ever, to be killed at a random moment: the real behaviour and the
// real file system over the folder given, with the fake toolkit and windows.
//
//   vorlix_crash_driver FOLDER blacklist EXTRA   adds EXTRA, removes it again, ...
//   vorlix_crash_driver FOLDER names RUN         learns "Mozilla rRUNnI", I = 0, 1, ...
//
// Prints "ready" once start-up is over.
#include <cstdio>
#include <string>

#include "adapters/posix/posix_file_system.h"
#include "world.h"

namespace {

using vorlix::reliability::World;

int edit_blacklist(World& world, const std::string& extra) {
    const std::string entry = vorlix::make_entry(extra);
    for (;;) {
        const auto& items = world.main().list().items();
        int at = -1;
        for (std::size_t i = 0; i < items.size(); ++i) {
            if (items[i] == entry) at = static_cast<int>(i);
        }
        if (at < 0) {
            world.add_title(extra);
        } else {
            world.main().select_title(at);
            world.main().click_remove();
        }
        if (world.main().status().find("Could not") != std::string::npos) {
            std::fprintf(stderr, "%s\n", world.main().status().c_str());
            return 1;
        }
    }
}

int learn_names(World& world, const std::string& run) {
    const auto window = world.windows.add("Page - Mozilla r" + run + "n0");
    for (long i = 1;; ++i) {
        world.windows.retitle(window, "Page - Mozilla r" + run + "n" + std::to_string(i));
        if (!world.tick()) return 1;
        if (world.main().status().find("Could not") != std::string::npos) {
            std::fprintf(stderr, "%s\n", world.main().status().c_str());
            return 1;
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s FOLDER blacklist|names ARG\n", argv[0]);
        return 2;
    }
    const std::string mode = argv[2];
    vorlix::platform::posix::PosixFileSystem fs;
    World world(fs, argv[1]);
    world.start();
    std::printf("ready\n");
    std::fflush(stdout);
    if (mode == "blacklist") return edit_blacklist(world, argv[3]);
    if (mode == "names") return learn_names(world, argv[3]);
    return 2;
}
