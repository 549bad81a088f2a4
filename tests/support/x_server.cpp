#include "x_server.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>

#include "support.h"
#include "x_client.h"

namespace vorlix::testing {

// Other descriptors are inherited, such as the pipe on which Xvfb names
// its display.
pid_t spawn_with_display(const char* const* argv, const std::string& display,
                         const std::vector<std::string>& extra_env) {
    const pid_t pid = fork();
    if (pid != 0) return pid;
    prctl(PR_SET_PDEATHSIG, SIGTERM);
    const int null = ::open("/dev/null", O_RDWR);
    for (int fd = 0; fd < 3; ++fd) dup2(null, fd);
    if (!display.empty()) setenv("DISPLAY", display.c_str(), 1);
    for (const std::string& e : extra_env) putenv(const_cast<char*>(e.c_str()));
    execvp(argv[0], const_cast<char* const*>(argv));
    _exit(127);
}

void stop_child(pid_t pid) {
    if (pid <= 0) return;
    ::kill(pid, SIGTERM);
    if (!test::wait_until([&] { return waitpid(pid, nullptr, WNOHANG) != 0; },
                          std::chrono::seconds(3))) {
        ::kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
    }
}

Result<std::unique_ptr<XServer>> XServer::start(bool with_window_manager) {
    std::unique_ptr<XServer> server(new XServer);
    int fds[2];
    if (pipe(fds) != 0) return Error{"no pipe for Xvfb"};
    const std::string fd = std::to_string(fds[1]);
    const char* xvfb[] = {"Xvfb",         "-displayfd", fd.c_str(), "-screen",  "0",
                          "1280x1024x24", "-nolisten",  "tcp",      "-noreset", nullptr};
    server->xvfb_ = spawn_with_display(xvfb, "");
    close(fds[1]);
    // Xvfb writes the display number it chose once it takes clients.
    FILE* from_xvfb = fdopen(fds[0], "r");
    int number = -1;
    const bool named = std::fscanf(from_xvfb, "%d", &number) == 1;
    std::fclose(from_xvfb);
    if (!named) return Error{"Xvfb did not start"};
    server->display_ = ":" + std::to_string(number);
    if (!with_window_manager) return server;

    const char* openbox[] = {"openbox", "--sm-disable", nullptr};
    server->wm_ = spawn_with_display(openbox, server->display_);
    // openbox names its check window before it handles map requests, and
    // drops those that come in between: it is ready once a probe is managed.
    XClient probe(server->display_, false);
    const bool ready = test::wait_until([&] {
        const xcb_window_t w = probe.create("probe");
        probe.map(w);
        const bool managed =
            test::wait_until([&] { return probe.has_state(w, 1); }, std::chrono::milliseconds(300));
        probe.destroy(w);
        return managed || waitpid(server->wm_, nullptr, WNOHANG) != 0;
    });
    if (!ready || waitpid(server->wm_, nullptr, WNOHANG) != 0)
        return Error{"openbox did not start on " + server->display_};
    return server;
}

void XServer::kill() {
    stop_child(wm_);
    stop_child(xvfb_);
    wm_ = xvfb_ = -1;
}

}  // namespace vorlix::testing
