#include "x_server.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string_view>
#include <thread>
#include <vector>

extern char** environ;

namespace vorlix::testing {
namespace {

using Clock = std::chrono::steady_clock;

// Starts argv[0] with $DISPLAY set; `keep_fd` stays open in the child, all
// other output goes to /dev/null. The child dies with this process.
pid_t spawn(std::vector<std::string> args, const std::string& display, int keep_fd) {
    const pid_t pid = fork();
    if (pid != 0) return pid;
    prctl(PR_SET_PDEATHSIG, SIGTERM);
    const int null = ::open("/dev/null", O_RDWR);
    dup2(null, 0);
    dup2(null, 1);
    dup2(null, 2);
    for (int fd = 3; fd < 256; ++fd)
        if (fd != keep_fd) close(fd);
    if (!display.empty()) setenv("DISPLAY", display.c_str(), 1);
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    execvp(argv[0], argv.data());
    _exit(127);
}

std::vector<std::string> environment_with(const std::string& display,
                                          const std::vector<std::string>& extra) {
    std::vector<std::string> env = extra;
    env.push_back("DISPLAY=" + display);
    for (char** e = environ; *e != nullptr; ++e) {
        const std::string_view entry(*e);
        const std::string_view name = entry.substr(0, entry.find('=') + 1);
        bool replaced = false;
        for (const std::string& mine : env) replaced = replaced || mine.rfind(name, 0) == 0;
        if (!replaced) env.emplace_back(entry);
    }
    return env;
}

// Xvfb writes the display number it chose, then a newline.
Result<std::string> read_display(int fd) {
    std::string number;
    const auto deadline = Clock::now() + std::chrono::seconds(10);
    while (Clock::now() < deadline) {
        pollfd p{fd, POLLIN, 0};
        if (poll(&p, 1, 100) <= 0) continue;
        char ch = 0;
        const ssize_t n = read(fd, &ch, 1);
        if (n <= 0) return Error{"Xvfb exited before naming its display"};
        if (ch == '\n') return ":" + number;
        number.push_back(ch);
    }
    return Error{"Xvfb did not name its display within 10 s"};
}

template <class T>
using Reply = std::unique_ptr<T, decltype(&std::free)>;

// openbox names its check window before it handles map requests, and drops
// those that come in between: it is ready once a probe window gets managed.
bool window_manager_manages(const std::string& display) {
    xcb_connection_t* c = xcb_connect(display.c_str(), nullptr);
    bool managed = false;
    if (xcb_connection_has_error(c) == 0) {
        const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
        const char name[] = "WM_STATE";
        Reply<xcb_intern_atom_reply_t> atom(
            xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, sizeof name - 1, name), nullptr),
            &std::free);
        const xcb_window_t probe = xcb_generate_id(c);
        xcb_create_window(c, XCB_COPY_FROM_PARENT, probe, screen->root, 0, 0, 10, 10, 0,
                          XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, 0, nullptr);
        xcb_map_window(c, probe);
        const auto deadline = Clock::now() + std::chrono::milliseconds(300);
        while (atom && !managed && Clock::now() < deadline) {
            Reply<xcb_get_property_reply_t> r(
                xcb_get_property_reply(
                    c, xcb_get_property(c, 0, probe, atom->atom, atom->atom, 0, 2), nullptr),
                &std::free);
            managed = r && xcb_get_property_value_length(r.get()) > 0;
            if (!managed) std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    }
    xcb_disconnect(c);
    return managed;
}

}  // namespace

pid_t spawn_with_display(const char* const* argv, const std::string& display,
                         const std::vector<std::string>& extra_env) {
    std::vector<std::string> env = environment_with(display, extra_env);
    std::vector<char*> envp;
    for (std::string& e : env) envp.push_back(e.data());
    envp.push_back(nullptr);
    // Output goes nowhere: a child that outlives a crashed test must not
    // hold the test's output pipe open.
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = -1;
    const int spawned = ::posix_spawnp(&pid, argv[0], &actions, nullptr,
                                       const_cast<char* const*>(argv), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    return spawned == 0 ? pid : -1;
}

void stop_child(pid_t pid) {
    if (pid <= 0) return;
    ::kill(pid, SIGTERM);
    const auto deadline = Clock::now() + std::chrono::seconds(3);
    while (waitpid(pid, nullptr, WNOHANG) == 0) {
        if (Clock::now() > deadline) {
            ::kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

Result<std::unique_ptr<XServer>> XServer::start(bool with_window_manager) {
    std::unique_ptr<XServer> server(new XServer);
    int fds[2];
    if (pipe(fds) != 0) return Error{std::string("pipe: ") + std::strerror(errno)};
    server->xvfb_ = spawn({"Xvfb", "-displayfd", std::to_string(fds[1]), "-screen", "0",
                           "1280x1024x24", "-nolisten", "tcp", "-noreset"},
                          "", fds[1]);
    close(fds[1]);
    auto display = read_display(fds[0]);
    close(fds[0]);
    if (!display) return display.error();
    server->display_ = display.value();
    if (!with_window_manager) return server;

    server->wm_ = spawn({"openbox", "--sm-disable"}, server->display_, -1);
    const auto deadline = Clock::now() + std::chrono::seconds(10);
    while (!window_manager_manages(server->display_)) {
        if (Clock::now() > deadline || waitpid(server->wm_, nullptr, WNOHANG) != 0)
            return Error{"openbox did not start on " + server->display_};
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return server;
}

void XServer::kill() {
    stop_child(wm_);
    stop_child(xvfb_);
    wm_ = xvfb_ = -1;
}

XServer::~XServer() {
    kill();
}

}  // namespace vorlix::testing
