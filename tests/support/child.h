// POSIX only: part of a test run in a forked child, as another user or
// under a limit, so the test process itself keeps its rights.
#pragma once

#include <grp.h>
#include <pwd.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <functional>

namespace vorlix::test {

// Runs `body` in a child and returns its exit code (128 + signal when it
// died of one). The child never returns into the test framework.
inline int run_in_child(const std::function<int()>& body) {
    std::fflush(nullptr);
    const pid_t pid = ::fork();
    if (pid == 0) {
        const int rc = body();
        std::fflush(nullptr);
        ::_exit(rc);
    }
    int status = 0;
    if (pid < 0 || ::waitpid(pid, &status, 0) < 0) return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

// In a child: becomes "nobody" when running as root, where permission bits
// stop nothing. False when that is impossible.
inline bool become_unprivileged() {
    if (::geteuid() != 0) return true;
    const passwd* nobody = ::getpwnam("nobody");
    if (nobody == nullptr) return false;
    const group* nogroup = ::getgrnam("nogroup");
    const gid_t gid = nogroup != nullptr ? nogroup->gr_gid : nobody->pw_gid;
    return ::setgroups(0, nullptr) == 0 && ::setgid(gid) == 0 && ::setuid(nobody->pw_uid) == 0 &&
           ::geteuid() != 0;
}

}  // namespace vorlix::test
