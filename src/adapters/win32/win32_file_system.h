// Files through kernel32's wide functions; paths are UTF-8 and may hold any
// character.
//
// The data files are ANSI text on disk while the program's text is UTF-8.
// The conversion is lossless in both directions:
// - content whose every character the ANSI code page holds is written as
//   those ANSI bytes, exactly as before;
// - any other content (a character outside the code page, bytes that are not
//   UTF-8, or ANSI bytes that would themselves begin with EF BB BF) is
//   written as UTF-8 behind a UTF-8 byte-order mark;
// - a file that begins with that mark is read as UTF-8, any other as ANSI.
// A file is therefore ANSI unless it has to hold what ANSI cannot.
#pragma once

#include "platform/file_system.h"

namespace vorlix::adapters::win32 {

inline constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";

// The bytes to store for `text`, and the text that stored `bytes` stand for.
std::string encode_data_file(std::string_view text);
std::string decode_data_file(std::string_view bytes);

class Win32FileSystem final : public platform::FileSystem {
public:
    bool exists(const std::string& path) override;
    Result<std::string> read_all(const std::string& path) override;
    Result<std::unique_ptr<platform::WritableFile>> create_new(const std::string& path) override;
    Status replace(const std::string& from, const std::string& to) override;
    Status remove(const std::string& path) override;
};

}  // namespace vorlix::adapters::win32
