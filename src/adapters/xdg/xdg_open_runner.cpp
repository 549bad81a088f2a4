#include "adapters/xdg/xdg_open_runner.h"

#include <spawn.h>
#include <sys/wait.h>

#include <cerrno>

#include <string>
#include <thread>

extern char** environ;

namespace vorlix::adapters::xdg {

XdgOpenRunner::XdgOpenRunner(std::string program) : program_(std::move(program)) {}

void XdgOpenRunner::open_url(std::string_view url) {
    std::string address(url);
    char* argv[] = {program_.data(), address.data(), nullptr};
    pid_t pid = 0;
    if (::posix_spawnp(&pid, program_.c_str(), nullptr, nullptr, argv, environ) != 0) return;
    // Reaped off the user-interface thread so that neither a wait nor a
    // SIGCHLD handler gets in the event loop's way.
    std::thread([pid] {
        int status = 0;
        while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
    }).detach();
}

}  // namespace vorlix::adapters::xdg
