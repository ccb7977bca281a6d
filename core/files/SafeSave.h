#pragma once
// Writing a whole file so that the engineer never loses what was at the path: the
// setpoint files and the modem's "AT" file both go through here.
//
// - The new contents go to a temporary file created new and exclusive, under a
//   unique name beside the target (never opened through a link planted at that
//   name), are flushed to the disk, and only then renamed over the target. A failed
//   save leaves the old file as it was; two saves to one path each write their own
//   temporary file, so each reports what really happened to its own data.
// - A symbolic link is written through: the file it names is replaced, the link stays.
// - An existing file keeps its permission bits (and its owner and group where the
//   process may set them); a new file gets the usual permissions of the user.
// - A read-only file is refused, not replaced; so is anything that is not a plain
//   file (a folder, a device, a pipe, a socket).

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>

namespace neva {

struct SaveOutcome {
    bool ok = false;
    // Why not, as words that finish a sentence for the user ("the disk is full").
    std::string reason;
};

SaveOutcome save_file_safely(const std::filesystem::path& path, std::span<const std::uint8_t> bytes);

// The reason a save gives for a target that exists but is no plain file; readers
// that would block on such a path (a pipe) refuse it with the same words.
inline constexpr const char* kNotPlainFile = "what is there is not a plain file (a device, a pipe or a socket)";

}  // namespace neva
