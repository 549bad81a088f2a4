// Starting a program to kill it, and judging the files it leaves behind.
#pragma once

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <string>
#include <vector>

#include "temp_dir.h"

extern char** environ;

namespace vorlix::reliability {

// A program started with `args` and the environment `env` ("NAME=value"
// each), its standard output on `out_fd` (or /dev/null when -1); killed with
// SIGKILL at the latest when the object goes.
class Spawned {
public:
    Spawned(std::vector<std::string> args, std::vector<std::string> env, int out_fd) {
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        if (out_fd >= 0) {
            posix_spawn_file_actions_adddup2(&actions, out_fd, STDOUT_FILENO);
        } else {
            posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
        }
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
        std::vector<char*> argv;
        for (auto& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        std::vector<char*> envp;
        for (auto& e : env) envp.push_back(e.data());
        envp.push_back(nullptr);
        if (::posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), envp.data()) != 0) {
            pid_ = -1;
        }
        posix_spawn_file_actions_destroy(&actions);
    }
    ~Spawned() { kill(); }
    Spawned(const Spawned&) = delete;
    Spawned& operator=(const Spawned&) = delete;

    bool started() const { return pid_ > 0; }
    // SIGKILL and reap; false when it had already ended on its own.
    bool kill() {
        if (pid_ <= 0) return false;
        int status = 0;
        const bool running = ::waitpid(pid_, &status, WNOHANG) == 0;
        if (running) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, &status, 0);
        }
        pid_ = -1;
        return running;
    }

private:
    pid_t pid_ = -1;
};

// This process's environment, as Spawned takes it.
inline std::vector<std::string> own_environment() {
    std::vector<std::string> env;
    for (char** e = ::environ; *e != nullptr; ++e) env.emplace_back(*e);
    return env;
}

// The lines of a data file; a last line without its CR LF is marked.
inline std::vector<std::string> crlf_lines(const std::string& bytes) {
    std::vector<std::string> out;
    std::size_t at = 0;
    for (std::size_t crlf; (crlf = bytes.find("\r\n", at)) != std::string::npos; at = crlf + 2) {
        out.push_back(bytes.substr(at, crlf - at));
    }
    if (at != bytes.size()) out.push_back(bytes.substr(at) + "<unterminated>");
    return out;
}

// Removes the new files that a kill left in the folder, and counts them.
inline int remove_leftovers(const TempDir& dir) {
    int found = 0;
    for (const std::string& name : dir.names()) {
        if (name.size() > 4 && name.compare(name.size() - 4, 4, ".tmp") == 0) {
            ::unlink(dir.file(name).c_str());
            ++found;
        }
    }
    return found;
}

// A browser-name file after a kill: every name it held before, then only
// whole names learned since, each `lead` followed by digits.
inline ::testing::AssertionResult whole_name_list(const std::vector<std::string>& before,
                                                  const std::vector<std::string>& now,
                                                  const std::string& lead) {
    if (now.size() < before.size() || !std::equal(before.begin(), before.end(), now.begin())) {
        return ::testing::AssertionFailure() << "the file lost names it held (" << now.size()
                                             << " lines, " << before.size() << " before)";
    }
    for (std::size_t i = before.size(); i < now.size(); ++i) {
        if (now[i].rfind(lead, 0) != 0 || now[i].size() == lead.size() ||
            now[i].find_first_not_of("0123456789", lead.size()) != std::string::npos) {
            return ::testing::AssertionFailure()
                   << "line " << i + 1 << " is no whole name: " << now[i];
        }
    }
    return ::testing::AssertionSuccess();
}

}  // namespace vorlix::reliability
