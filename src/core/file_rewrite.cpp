#include "core/file_rewrite.h"

#include <chrono>
#include <cstdint>
#include <random>

namespace vorlix::core {

namespace {

// The error carries no code to tell "name taken" from other reasons, so any
// failure to create gets a few more names before giving up.
constexpr int kCreateAttempts = 8;

std::uint64_t unpredictable() {
    std::uint64_t v = static_cast<std::uint64_t>(
        std::chrono::high_resolution_clock::now().time_since_epoch().count());
    try {
        std::random_device rd;
        v ^= (static_cast<std::uint64_t>(rd()) << 32) ^ rd();
    } catch (...) {
        // The clock alone still makes a usable name; the retries cover clashes.
    }
    return v;
}

std::string temp_name(const std::string& path, std::uint64_t tag) {
    static constexpr char kHex[] = "0123456789abcdef";
    std::string name = path + ".";
    for (int shift = 28; shift >= 0; shift -= 4) name += kHex[(tag >> shift) & 0xF];
    name += ".tmp";
    return name;
}

Error step_failed(const char* step, const Error& why) {
    return Error(std::string(step) + " failed: " + why.message, why.code);
}

}  // namespace

Status rewrite_file(platform::FileSystem& fs, const std::string& path, std::string_view bytes) {
    std::uint64_t tag = unpredictable();
    std::string temp;
    std::unique_ptr<platform::WritableFile> file;
    for (int attempt = 0; !file; ++attempt) {
        temp = temp_name(path, tag);
        auto created = fs.create_new(temp);
        if (created) {
            file = std::move(created).value();
        } else if (attempt + 1 == kCreateAttempts) {
            return step_failed("Creating the new file", created.error());
        } else {
            // A different name for the next try, however the first was chosen.
            tag = tag * 6364136223846793005ULL + 1442695040888963407ULL;
            tag ^= tag >> 29;
        }
    }

    // Whatever fails from here on, the old file is still untouched: the new
    // one is closed and removed, and the error says what went wrong.
    auto give_up = [&](const char* step, const Error& why, bool closed) -> Status {
        if (!closed) (void)file->close();
        file.reset();
        Error err = step_failed(step, why);
        if (Status removed = fs.remove(temp); !removed && fs.exists(temp)) {
            err.message += "; the new file was left behind: " + removed.error().message;
        }
        return err;
    };

    if (Status st = file->write(bytes); !st) return give_up("Writing", st.error(), false);
    if (Status st = file->sync(); !st) return give_up("Flushing to disk", st.error(), false);
    if (Status st = file->close(); !st) return give_up("Closing", st.error(), true);
    file.reset();
    if (Status st = fs.replace(temp, path); !st) {
        return give_up("Moving it over the old file", st.error(), true);
    }
    return {};
}

}  // namespace vorlix::core
