// A scratch folder of real files, removed with everything in it at the end.
#pragma once

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace vorlix::reliability {

class TempDir {
public:
    TempDir() {
        const char* base = std::getenv("TMPDIR");
        std::string pattern = std::string(base != nullptr && base[0] == '/' ? base : "/tmp") +
                              "/vorlix-reliability-XXXXXX";
        if (::mkdtemp(pattern.data()) != nullptr) path_ = pattern;
    }
    ~TempDir() {
        if (!path_.empty()) remove_tree(path_);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    bool ok() const { return !path_.empty(); }
    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + "/" + name; }

    static bool write(const std::string& path, const std::string& bytes) {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        return static_cast<bool>(out);
    }
    static std::optional<std::string> read(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        if (!in) return std::nullopt;
        std::ostringstream all;
        all << in.rdbuf();
        return all.str();
    }
    // The names in the folder, "." and ".." left out.
    std::vector<std::string> names() const {
        std::vector<std::string> out;
        if (DIR* d = ::opendir(path_.c_str())) {
            while (const dirent* e = ::readdir(d)) {
                const std::string n = e->d_name;
                if (n != "." && n != "..") out.push_back(n);
            }
            ::closedir(d);
        }
        return out;
    }

    static void remove_tree(const std::string& path) {
        struct stat st {};
        if (::lstat(path.c_str(), &st) != 0) return;
        if (S_ISDIR(st.st_mode)) {
            ::chmod(path.c_str(), 0700);
            if (DIR* d = ::opendir(path.c_str())) {
                std::vector<std::string> children;
                while (const dirent* e = ::readdir(d)) {
                    const std::string n = e->d_name;
                    if (n != "." && n != "..") children.push_back(path + "/" + n);
                }
                ::closedir(d);
                for (const auto& c : children) remove_tree(c);
            }
            ::rmdir(path.c_str());
        } else {
            ::unlink(path.c_str());
        }
    }

private:
    std::string path_;
};

}  // namespace vorlix::reliability
