// A program saving a blacklist of the greatest length through the real save
// path stops itself at each step of the save in turn and is killed there with
// SIGKILL: the file is always whole, the old list until the new file has been
// moved over it, the new list from then on.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "adapters/posix/posix_file_system.h"
#include "program_fixture.h"
#include "support/support.h"

namespace {

enum class Step { none, writing, flushing, moving, moved };
// Set only in the forked child: interposed libc calls have nowhere else to
// look for it.
Step stop_at = Step::none;

// The blacklist, or a new file for it (Vorlix.dat.*.tmp).
bool is_blacklist(const std::filesystem::path& path) {
    return path.filename().string().starts_with("Vorlix.dat");
}
bool is_blacklist(int fd) {
    std::error_code ec;
    return is_blacklist(std::filesystem::read_symlink("/proc/self/fd/" + std::to_string(fd), ec));
}

}  // namespace

// Each passes on to the next definition: libc's, or the sanitizer's
// interceptor, which calls libc's. Half the bytes reach the file, then the
// writer stops.
extern "C" ssize_t write(int fd, const void* bytes, size_t n) {
    static const auto real = reinterpret_cast<decltype(&write)>(::dlsym(RTLD_NEXT, "write"));
    if (stop_at != Step::writing || !is_blacklist(fd)) return real(fd, bytes, n);
    const ssize_t part = real(fd, bytes, n / 2);
    ::raise(SIGSTOP);
    return part;
}

extern "C" int fsync(int fd) {
    static const auto real = reinterpret_cast<decltype(&fsync)>(::dlsym(RTLD_NEXT, "fsync"));
    if (stop_at == Step::flushing && is_blacklist(fd)) ::raise(SIGSTOP);
    return real(fd);
}

extern "C" int rename(const char* from, const char* to) noexcept {
    static const auto real = reinterpret_cast<decltype(&rename)>(::dlsym(RTLD_NEXT, "rename"));
    const bool ours = is_blacklist(from);
    if (ours && stop_at == Step::moving) ::raise(SIGSTOP);
    const int rc = real(from, to);
    if (ours && stop_at == Step::moved) ::raise(SIGSTOP);  // before the folder is flushed
    return rc;
}

namespace vorlix::test {
namespace {

TEST(CrashSafety, AKillAtEachStepOfASaveLeavesTheOldListOrTheNewNeverAnythingElse) {
    TempDir dir;
    const std::string path = dir.file("Vorlix.dat"), extra = "title 16000 extra";
    std::string without, with;  // 32766 and 32767 titles
    for (int i = 0; i < core::SortedList::kMaxEntries - 1; ++i) {
        const std::string line = "title " + std::to_string(100000 + i).substr(1) + "\r\n";
        with += (i == 16000 ? extra + "\r\n" : "") + line;
        without += line;
    }
    for (const bool adding : {true, false}) {
        const std::string& before = adding ? without : with;
        const std::string& after = adding ? with : without;
        ASSERT_TRUE(write_file(path, before));
        adapters::posix::PosixFileSystem fs;
        ProgramFixture w(&fs, dir.path().string());
        w.start();  // once: every child makes its one edit from here
        const auto at = std::ranges::find(w.titles(), core::make_entry(extra));
        for (const Step step : {Step::writing, Step::flushing, Step::moving, Step::moved}) {
            SCOPED_TRACE(testing::Message()
                         << "step " << int(step) << (adding ? ", adding" : ", removing"));
            ASSERT_TRUE(write_file(path, before));
            const pid_t pid = ::fork();
            if (pid == 0) {
                stop_at = step;
                adding ? w.add_title(extra) : w.remove_title(int(at - w.titles().begin()));
                ::_exit(0);
            }
            int status = 0;
            ASSERT_EQ(::waitpid(pid, &status, WUNTRACED), pid);
            ASSERT_TRUE(WIFSTOPPED(status)) << "the save ended without coming to the step";
            ::kill(pid, SIGKILL), ::waitpid(pid, &status, 0);
            std::vector<std::string> left;  // new files beside the old one
            for (const auto& e : std::filesystem::directory_iterator(dir.path()))
                if (e.path().extension() == ".tmp")
                    left.push_back(read_file(e.path()).value()), std::filesystem::remove(e.path());
            const std::string now = read_file(path).value_or("");
            EXPECT_TRUE(now == (step == Step::moved ? after : before)) << now.size() << " bytes";
            const std::string half = after.substr(0, after.size() / 2);
            EXPECT_TRUE(left == (step == Step::moved
                                     ? std::vector<std::string>{}
                                     : std::vector{step == Step::writing ? half : after}))
                << left.size() << " new files left";
        }
    }
}

}  // namespace
}  // namespace vorlix::test
