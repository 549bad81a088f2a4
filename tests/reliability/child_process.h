// Running part of a test in a forked child: as another user, under a
// resource limit, or where a crash must not take the test down.
#pragma once

#include <grp.h>
#include <pwd.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <exception>
#include <functional>
#include <string>

namespace vorlix::reliability {

// Runs `body` in a child and returns its exit code (128 + signal when it
// died of one). The child never returns into the test framework.
inline int run_in_child(const std::function<int()>& body) {
    std::fflush(nullptr);
    const pid_t pid = ::fork();
    if (pid < 0) return -1;
    if (pid == 0) {
        int rc = 99;
        try {
            rc = body();
        } catch (const std::exception& e) {
            std::fprintf(stderr, "child: exception: %s\n", e.what());
        } catch (...) {
            std::fprintf(stderr, "child: exception\n");
        }
        std::fflush(nullptr);
        ::_exit(rc);
    }
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0) {
    }
    if (WIFEXITED(status)) return WEXITSTATUS(status);
    return 128 + WTERMSIG(status);
}

// In a child: becomes the user "nobody" when running as root (CI does),
// where permission bits would not stop a write. False when that failed.
inline bool drop_privileges() {
    if (::geteuid() != 0) return true;
    const passwd* nobody = ::getpwnam("nobody");
    if (nobody == nullptr) return false;
    gid_t gid = nobody->pw_gid;
    if (const group* nogroup = ::getgrnam("nogroup")) gid = nogroup->gr_gid;
    if (::setgroups(0, nullptr) != 0 || ::setgid(gid) != 0 || ::setuid(nobody->pw_uid) != 0) {
        return false;
    }
    return ::geteuid() != 0 && ::setuid(0) != 0;
}

// Failed checks inside a child, reported on stderr and counted into the
// exit code.
class ChildChecks {
public:
    void expect(bool ok, const std::string& what) {
        if (ok) return;
        std::fprintf(stderr, "child: check failed: %s\n", what.c_str());
        ++failed_;
    }
    int exit_code() const { return failed_ == 0 ? 0 : 10 + (failed_ > 50 ? 50 : failed_); }

private:
    int failed_ = 0;
};

}  // namespace vorlix::reliability
