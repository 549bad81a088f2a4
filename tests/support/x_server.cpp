#include "x_server.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>

#include "support.h"

namespace vorlix::test {

// Other descriptors are inherited, such as the pipe on which Xvfb names
// its display.
pid_t spawn(std::vector<std::string> argv, std::vector<std::string> env, const std::string& log,
            bool unprivileged) {
    if (unprivileged && ::getuid() == 0)  // sway refuses root
        argv.insert(argv.begin(), {"setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"});
    const pid_t pid = fork();
    if (pid != 0) return pid;
    prctl(PR_SET_PDEATHSIG, SIGTERM);
    const int fd = ::open(log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
    dup2(fd, 1), dup2(fd, 2);
    for (std::string& e : env) putenv(e.data());
    std::vector<char*> args;
    for (std::string& a : argv) args.push_back(a.data());
    args.push_back(nullptr);
    execvp(args[0], args.data());
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
    server->xvfb_ = spawn(
        {"Xvfb", "-displayfd", fd, "-screen", "0", "1280x1024x24", "-nolisten", "tcp", "-noreset"});
    close(fds[1]);
    // Xvfb writes the display number it chose once it takes clients.
    FILE* from_xvfb = fdopen(fds[0], "r");
    int number = -1;
    const bool named = std::fscanf(from_xvfb, "%d", &number) == 1;
    std::fclose(from_xvfb);
    if (!named) return Error{"Xvfb did not start"};
    server->display_ = ":" + std::to_string(number);
    if (!with_window_manager) return server;

    // openbox runs its start-up command once it manages windows; it drops
    // map requests that come before.
    const auto ready = std::filesystem::temp_directory_path() / ("vorlix-wm" + server->display_);
    std::filesystem::remove(ready);
    server->wm_ = spawn({"openbox", "--sm-disable", "--startup", "touch " + ready.string()},
                        {"DISPLAY=" + server->display_});
    test::wait_until([&] {
        return std::filesystem::exists(ready) || waitpid(server->wm_, nullptr, WNOHANG) != 0;
    });
    if (!std::filesystem::remove(ready))
        return Error{"openbox did not start on " + server->display_};
    return server;
}

void XServer::kill() {
    stop_child(wm_);
    stop_child(xvfb_);
    wm_ = xvfb_ = -1;
}

}  // namespace vorlix::test
