#include "files/SafeSave.h"

#include <algorithm>
#include <cerrno>
#include <system_error>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>

#include <cwchar>
#include <random>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace neva {

namespace fs = std::filesystem;

namespace {

constexpr int kMaxLinks = 40;  // as the system itself allows before it calls it a loop
constexpr std::size_t kTempNameChars = 64;  // of the target's name, in the temporary file's
constexpr const char* kReadOnly = "the file there is read-only; save under another name, or make it writable first";

SaveOutcome failed(std::string reason) { return {false, std::move(reason)}; }

std::string reason_of(int err) {
    switch (err) {
        case EACCES:
        case EPERM: return "you may not write in that folder";
        case ENOENT:
        case ENOTDIR: return "the folder does not exist";
        case ENOSPC:
#ifdef EDQUOT
        case EDQUOT:
#endif
            return "the disk is full";
        case EROFS: return "the disk is read-only";
        case ENAMETOOLONG: return "the name is too long";
        case ELOOP: return "the path leads through too many symbolic links";
        case EISDIR: return "what is there is a folder";
        case EIO: return "the disk reported an error";
        default: return "the system reported error " + std::to_string(err);
    }
}

int errno_of(const std::error_code& ec) { return ec.default_error_condition().value(); }

// The file a path finally names, through any symbolic links: the save replaces that
// file and leaves the links as they are. A path that cannot be looked at is left
// for the later steps, which say why it fails.
bool resolve_links(fs::path& p, std::string& why) {
    for (int hops = 0;; ++hops) {
        std::error_code ec;
        const fs::file_status st = fs::symlink_status(p, ec);
        if (ec || !fs::is_symlink(st)) return true;
        if (hops == kMaxLinks) {
            why = reason_of(ELOOP);
            return false;
        }
        const fs::path next = fs::read_symlink(p, ec);
        if (ec) {
            why = reason_of(errno_of(ec));
            return false;
        }
        p = next.is_absolute() ? next : p.parent_path() / next;
    }
}

#ifdef _WIN32

SaveOutcome write_and_replace(const fs::path& target, std::span<const std::uint8_t> bytes) {
    std::error_code ec;
    const fs::file_status st = fs::status(target, ec);
    const bool exists = fs::exists(st);
    if (ec && !exists && st.type() != fs::file_type::not_found) return failed(reason_of(errno_of(ec)));
    if (exists) {
        if (fs::is_directory(st)) return failed(reason_of(EISDIR));
        if (!fs::is_regular_file(st)) return failed(kNotPlainFile);
        if ((st.permissions() & fs::perms::owner_write) == fs::perms::none) return failed(kReadOnly);
    }

    const fs::path dir = target.parent_path();
    std::wstring name = target.filename().wstring();
    if (name.size() > kTempNameChars) name.resize(kTempNameChars);
    std::random_device random;
    fs::path temp;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        wchar_t suffix[16];
        std::swprintf(suffix, 16, L"%08x", static_cast<unsigned>(random()));
        temp = dir / (L"." + name + L".saving-" + suffix);
        // New and exclusive: an existing entry of that name, link or not, is never opened.
        fd = ::_wopen(temp.c_str(), _O_CREAT | _O_EXCL | _O_WRONLY | _O_BINARY, _S_IREAD | _S_IWRITE);
        if (fd < 0 && errno != EEXIST) return failed(reason_of(errno));
    }
    if (fd < 0) return failed(reason_of(EEXIST));

    auto abandon = [&](int err) {
        if (fd >= 0) ::_close(fd);
        ::_wunlink(temp.c_str());
        return failed(reason_of(err));
    };
    std::size_t done = 0;
    while (done < bytes.size()) {
        const std::size_t chunk = std::min<std::size_t>(bytes.size() - done, 1u << 20);
        const int n = ::_write(fd, bytes.data() + done, static_cast<unsigned>(chunk));
        if (n <= 0) return abandon(n < 0 ? errno : EIO);
        done += static_cast<std::size_t>(n);
    }
    if (::_commit(fd) != 0) return abandon(errno);
    const int closed = ::_close(fd);
    fd = -1;
    if (closed != 0) return abandon(errno);

    // ReplaceFileW keeps the old file's attributes and security settings; a new file
    // is simply moved into place.
    const BOOL ok = exists ? ::ReplaceFileW(target.c_str(), temp.c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS,
                                            nullptr, nullptr)
                           : ::MoveFileExW(temp.c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH);
    if (!ok) {
        const std::error_code why(static_cast<int>(::GetLastError()), std::system_category());
        ::_wunlink(temp.c_str());
        return failed(reason_of(errno_of(why)));
    }
    return {true, {}};
}

#else

// The rename itself lives in the folder: flush that too, so that after a power cut
// the path names either the old file or the new one. Best effort: some file
// systems cannot flush a folder, and the data is already safe.
void sync_folder(const fs::path& dir) {
    const int fd = ::open(dir.empty() ? "." : dir.c_str(), O_RDONLY | O_DIRECTORY);
    if (fd < 0) return;
    if (::fsync(fd) != 0) {
    }
    ::close(fd);
}

SaveOutcome write_and_replace(const fs::path& target, std::span<const std::uint8_t> bytes) {
    struct stat old {};
    const bool exists = ::stat(target.c_str(), &old) == 0;
    if (!exists && errno != ENOENT) return failed(reason_of(errno));
    if (exists) {
        if (S_ISDIR(old.st_mode)) return failed(reason_of(EISDIR));
        // Renaming over a device node or a pipe would replace it with a plain file.
        if (!S_ISREG(old.st_mode)) return failed(kNotPlainFile);
        // The folder may allow the rename where the file itself forbids writing; its
        // owner meant it to stay. Root passes the access check, so the bits count too.
        if ((old.st_mode & 0222) == 0) return failed(kReadOnly);
        if (::access(target.c_str(), W_OK) != 0)
            return failed(errno == EACCES || errno == EPERM ? kReadOnly : reason_of(errno));
    }

    const fs::path dir = target.parent_path();
    std::string name = target.filename().string();
    if (name.size() > kTempNameChars) name.resize(kTempNameChars);
    std::string temp = (dir / ("." + name + ".saving-XXXXXX")).string();
    // mkstemp creates the name new and exclusive (O_CREAT | O_EXCL): a link planted
    // at it is never followed.
    int fd = ::mkstemp(temp.data());
    if (fd < 0) return failed(reason_of(errno));

    auto abandon = [&](int err) {
        if (fd >= 0) ::close(fd);
        ::unlink(temp.c_str());
        return failed(reason_of(err));
    };
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return abandon(n < 0 ? errno : EIO);
        done += static_cast<std::size_t>(n);
    }

    mode_t mode = 0;
    if (exists) {
        // Owner first: a change of owner may clear set-id bits that the mode then
        // puts back. Only root may give a file away; others keep at least the group
        // when they belong to it, and otherwise the file becomes theirs.
        if (::fchown(fd, old.st_uid, old.st_gid) != 0 && ::fchown(fd, static_cast<uid_t>(-1), old.st_gid) != 0) {
        }
        mode = old.st_mode & 07777;
    } else {
        // mkstemp made it private; a new file gets what the user's mask allows.
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    if (::fchmod(fd, mode) != 0) return abandon(errno);
    // On the disk before the rename: a crash must never leave an empty or half file
    // where the old one was.
    if (::fsync(fd) != 0) return abandon(errno);
    const int closed = ::close(fd);
    fd = -1;
    if (closed != 0) return abandon(errno);

    if (::rename(temp.c_str(), target.c_str()) != 0) return abandon(errno);
    sync_folder(dir);
    return {true, {}};
}

#endif

}  // namespace

SaveOutcome save_file_safely(const fs::path& path, std::span<const std::uint8_t> bytes) {
    if (path.empty() || !path.has_filename()) return failed("the name given is a folder, not a file");
    fs::path target = path;
    std::string why;
    if (!resolve_links(target, why)) return failed(why);
    return write_and_replace(target, bytes);
}

}  // namespace neva
