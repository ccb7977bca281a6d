#include "services/LauncherMarker.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

#ifdef _WIN32
#include <cstdio>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace neva {

std::string LauncherMarker::default_path() {
    if (const char* own = std::getenv("NEVA_MARKER_FILE"); own && *own) return own;
#ifdef _WIN32
    return "c:\\windows\\escritorio\\prueba.txt";
#else
    // The runtime folder is private to the user; the temporary folder is shared, so
    // there the name carries the user id and write() refuses foreign files.
    if (const char* run = std::getenv("XDG_RUNTIME_DIR"); run && *run)
        return std::string(run) + "/neva-setup.marker";
    std::string tmp = "/tmp";
    if (const char* t = std::getenv("TMPDIR"); t && *t) tmp = t;
    while (tmp.size() > 1 && tmp.back() == '/') tmp.pop_back();
    return tmp + "/neva-setup-" + std::to_string(static_cast<unsigned long>(::geteuid())) + ".marker";
#endif
}

bool LauncherMarker::write(std::int16_t value) {
    last_error_.clear();
    const unsigned char bytes[2] = {static_cast<unsigned char>(value & 0xFF),
                                    static_cast<unsigned char>((static_cast<std::uint16_t>(value) >> 8) & 0xFF)};
#ifdef _WIN32
    FILE* f = std::fopen(path_.c_str(), "r+b");
    if (!f) f = std::fopen(path_.c_str(), "w+b");
    if (!f) {
        last_error_ = std::strerror(errno);
        return false;
    }
    const bool ok = std::fwrite(bytes, 1, 2, f) == 2;
    std::fclose(f);
    if (!ok) last_error_ = "short write";
    return ok;
#else
    const int fd = ::open(path_.c_str(), O_WRONLY | O_CREAT | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK, 0600);
    if (fd < 0) {
        last_error_ = errno == ELOOP ? "the marker path is a symbolic link" : std::strerror(errno);
        return false;
    }
    struct stat st {};
    bool ok = ::fstat(fd, &st) == 0;
    if (ok && !S_ISREG(st.st_mode)) {
        last_error_ = "the marker path is not a regular file";
        ok = false;
    } else if (ok && st.st_uid != ::geteuid()) {
        last_error_ = "the marker file belongs to another user";
        ok = false;
    }
    if (ok) {
        ok = ::pwrite(fd, bytes, 2, 0) == 2;
        if (!ok) last_error_ = std::strerror(errno);
    }
    ::close(fd);
    return ok;
#endif
}

}  // namespace neva
