#include "x_session.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <string_view>
#include <thread>
#include <vector>

extern char** environ;

namespace vorlix::testing {
namespace {

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

xcb_atom_t intern(xcb_connection_t* c, const char* name) {
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
        c, xcb_intern_atom(c, 0, std::uint16_t(std::strlen(name)), name), nullptr);
    const xcb_atom_t atom = reply != nullptr ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    std::free(reply);
    return atom;
}

bool listed_as_client(xcb_connection_t* c, xcb_window_t root, xcb_atom_t client_list,
                      xcb_window_t w) {
    xcb_get_property_reply_t* prop = xcb_get_property_reply(
        c, xcb_get_property(c, 0, root, client_list, XCB_ATOM_WINDOW, 0, 1024), nullptr);
    bool listed = false;
    if (prop != nullptr) {
        const auto* ids = static_cast<const xcb_window_t*>(xcb_get_property_value(prop));
        const int n = xcb_get_property_value_length(prop) / 4;
        for (int i = 0; i < n; ++i) listed = listed || ids[i] == w;
    }
    std::free(prop);
    return listed;
}

// True once a window manager manages new windows. Openbox announces itself
// before it manages anything, and a window mapped in between stays
// unmanaged, so a probe window is mapped until one is managed.
bool window_manager_manages(const std::string& display) {
    xcb_connection_t* c = xcb_connect(display.c_str(), nullptr);
    bool managed = false;
    if (xcb_connection_has_error(c) == 0) {
        const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
        const xcb_atom_t client_list = intern(c, "_NET_CLIENT_LIST");
        const xcb_window_t probe = xcb_generate_id(c);
        xcb_create_window(c, XCB_COPY_FROM_PARENT, probe, screen->root, 0, 0, 10, 10, 0,
                          XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, 0, nullptr);
        xcb_map_window(c, probe);
        xcb_flush(c);
        for (int i = 0; i < 10 && !managed; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            managed = listed_as_client(c, screen->root, client_list, probe);
        }
        xcb_destroy_window(c, probe);
        xcb_flush(c);
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
    for (int i = 0; i < 100; ++i) {
        if (::waitpid(pid, nullptr, WNOHANG) == pid) return;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    ::kill(pid, SIGKILL);
    ::waitpid(pid, nullptr, 0);
}

Result<std::unique_ptr<XSession>> XSession::start(bool with_window_manager) {
    int fds[2];
    if (::pipe(fds) != 0) return Error{std::string("pipe: ") + std::strerror(errno)};
    std::unique_ptr<XSession> session(new XSession);
    const std::string fd_text = std::to_string(fds[1]);
    const char* argv[] = {"Xvfb",         "-displayfd", fd_text.c_str(), "-screen",  "0",
                          "1280x1024x24", "-nolisten",  "tcp",           "-noreset", nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addclose(&actions, fds[0]);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    const int spawned = ::posix_spawnp(&session->server_, "Xvfb", &actions, nullptr,
                                       const_cast<char* const*>(argv), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(fds[1]);
    if (spawned != 0) {
        ::close(fds[0]);
        return Error{std::string("Xvfb: ") + std::strerror(spawned)};
    }
    std::string number;
    char c = 0;
    while (::read(fds[0], &c, 1) == 1 && c != '\n') number += c;
    ::close(fds[0]);
    if (number.empty()) return Error{"Xvfb did not report a display"};
    session->display_ = ":" + number;

    if (with_window_manager) {
        const char* wm[] = {"openbox", "--sm-disable", nullptr};
        session->window_manager_ = spawn_with_display(wm, session->display_);
        if (session->window_manager_ < 0) return Error{"openbox could not be started"};
        for (int i = 0; !window_manager_manages(session->display_); ++i) {
            if (i == 25) return Error{"openbox did not manage a window within 5 s"};
        }
    }
    return session;
}

XSession::~XSession() {
    stop_child(window_manager_);
    stop_child(server_);
}

}  // namespace vorlix::testing
