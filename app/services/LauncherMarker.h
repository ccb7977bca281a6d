#pragma once
// The marker an external launcher watches: in external mode the main window stores
// one signed 16-bit integer in the first record of a small file, 1 when it becomes
// active and 2 when it unloads. On Windows the launcher expects the old fixed path;
// elsewhere the file lives in the user's runtime folder (or the temporary folder),
// and NEVA_MARKER_FILE names another place.

#include <cstdint>
#include <string>

namespace neva {

class LauncherMarker {
public:
    static constexpr std::int16_t kActivada = 1;
    static constexpr std::int16_t kDescargada = 2;

    // Where the marker goes on this computer.
    static std::string default_path();

    explicit LauncherMarker(std::string path = default_path()) : path_(std::move(path)) {}
    const std::string& path() const { return path_; }

    // Writes the value as record 1 (two bytes, little-endian, at offset 0). The rest
    // of an existing file is left alone. Never follows a symbolic link and never writes
    // into a file that belongs to another user: in a shared temporary folder anybody
    // could have planted one there to make us overwrite something of theirs or ours.
    bool write(std::int16_t value);
    const std::string& last_error() const { return last_error_; }

private:
    std::string path_;
    std::string last_error_;
};

}  // namespace neva
