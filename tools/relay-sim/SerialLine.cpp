#include "SerialLine.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

namespace neva::sim {

namespace {

std::string errno_text(const char* what) {
    return std::string(what) + ": " + std::strerror(errno);
}

bool speed_constant(unsigned baud, speed_t& speed) {
    switch (baud) {
    case 300: speed = B300; return true;
    case 600: speed = B600; return true;
    case 1200: speed = B1200; return true;
    case 2400: speed = B2400; return true;
    case 4800: speed = B4800; return true;
    case 9600: speed = B9600; return true;
    case 19200: speed = B19200; return true;
    case 38400: speed = B38400; return true;
    case 57600: speed = B57600; return true;
    case 115200: speed = B115200; return true;
    default: return false;
    }
}

bool make_raw(int fd, speed_t speed, bool set_speed) {
    termios tio{};
    if (tcgetattr(fd, &tio) != 0) return false;
    cfmakeraw(&tio);
    tio.c_cflag |= CLOCAL | CREAD;
    tio.c_cflag &= ~(CSTOPB | PARENB | CRTSCTS);
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;
    if (set_speed) {
        cfsetispeed(&tio, speed);
        cfsetospeed(&tio, speed);
    }
    return tcsetattr(fd, TCSANOW, &tio) == 0;
}

}  // namespace

int SerialLine::create_raw_pty(std::string& slave_path, std::string& error) {
    int master = posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0) {
        error = errno_text("posix_openpt");
        return -1;
    }
    char name[256] = {};
    if (grantpt(master) != 0 || unlockpt(master) != 0 || ptsname_r(master, name, sizeof name) != 0) {
        error = errno_text("pseudo-terminal set-up");
        close(master);
        return -1;
    }
    // Raw mode is set through a short-lived slave descriptor; the settings belong to
    // the terminal and stay after that descriptor is closed. A program that opens the
    // slave without configuring it must not get echo or CR/LF translation.
    int slave = open(name, O_RDWR | O_NOCTTY);
    if (slave < 0 || !make_raw(slave, B9600, false)) {
        error = errno_text("pseudo-terminal raw mode");
        if (slave >= 0) close(slave);
        close(master);
        return -1;
    }
    close(slave);
    int flags = fcntl(master, F_GETFL);
    fcntl(master, F_SETFL, flags | O_NONBLOCK);
    slave_path = name;
    return master;
}

std::unique_ptr<SerialLine> SerialLine::open_pseudo_terminal(std::string& error) {
    std::string name;
    int master = create_raw_pty(name, error);
    if (master < 0) return nullptr;
    std::unique_ptr<SerialLine> line(new SerialLine());
    line->fd_ = master;
    line->path_ = name;
    line->pseudo_terminal_ = true;
    line->peer_present_ = false;
    // The keeper is opened before the watch starts, so its open is never counted.
    line->keeper_fd_ = open(name.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    line->watch_fd_ = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (line->keeper_fd_ < 0 || line->watch_fd_ < 0 ||
        inotify_add_watch(line->watch_fd_, name.c_str(), IN_OPEN | IN_CLOSE) < 0) {
        if (line->watch_fd_ >= 0) close(line->watch_fd_);
        if (line->keeper_fd_ >= 0) close(line->keeper_fd_);
        line->watch_fd_ = -1;
        line->keeper_fd_ = -1;
    }
    line->refresh_peer();
    return line;
}

std::unique_ptr<SerialLine> SerialLine::open_device(const std::string& path, unsigned baud,
                                                    std::string& error) {
    speed_t speed{};
    if (!speed_constant(baud, speed)) {
        error = "unsupported speed " + std::to_string(baud) + " for a serial device";
        return nullptr;
    }
    int fd = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) {
        error = errno_text(path.c_str());
        return nullptr;
    }
    if (!make_raw(fd, speed, true)) {
        error = errno_text("serial settings");
        close(fd);
        return nullptr;
    }
    tcflush(fd, TCIOFLUSH);
    std::unique_ptr<SerialLine> line(new SerialLine());
    line->fd_ = fd;
    line->path_ = path;
    line->pseudo_terminal_ = false;
    line->peer_present_ = true;
    return line;
}

std::unique_ptr<SerialLine> SerialLine::open_tcp_listener(unsigned port, std::string& error) {
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        error = errno_text("socket");
        return nullptr;
    }
    const int on = 1;
    setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(static_cast<std::uint16_t>(port));
    // Loopback only: a test relay is never offered to the network.
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof addr;
    if (bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || listen(fd, 4) != 0 ||
        getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len) != 0) {
        error = errno_text(("TCP port " + std::to_string(port)).c_str());
        close(fd);
        return nullptr;
    }
    std::unique_ptr<SerialLine> line(new SerialLine());
    line->listen_fd_ = fd;
    line->watch_fd_ = fd;
    line->tcp_port_ = ntohs(addr.sin_port);
    line->path_ = "127.0.0.1:" + std::to_string(line->tcp_port_);
    line->peer_present_ = false;
    return line;
}

void SerialLine::drop_connection() {
    if (fd_ < 0) return;
    close(fd_);
    fd_ = -1;
    peer_present_ = false;
    ++departures_;
}

SerialLine::~SerialLine() {
    if (!link_path_.empty()) unlink(link_path_.c_str());
    if (watch_fd_ >= 0) close(watch_fd_);  // the listening socket of a network line
    if (keeper_fd_ >= 0) close(keeper_fd_);
    if (fd_ >= 0) close(fd_);
}

bool SerialLine::make_link(const std::string& link_path, std::string& error) {
    struct stat st {};
    if (lstat(link_path.c_str(), &st) == 0) {
        if (!S_ISLNK(st.st_mode)) {
            error = link_path + " exists and is not a symbolic link";
            return false;
        }
        unlink(link_path.c_str());
    }
    if (symlink(path_.c_str(), link_path.c_str()) != 0) {
        error = errno_text(link_path.c_str());
        return false;
    }
    link_path_ = link_path;
    return true;
}

bool SerialLine::refresh_peer() {
    if (is_network()) return peer_present_;
    if (!pseudo_terminal_) return true;
    if (watch_fd_ >= 0) {
        read_watch_events();
        return peer_present_;
    }
    pollfd p{fd_, POLLIN, 0};
    if (poll(&p, 1, 0) < 0) return peer_present_;
    const bool hung_up = (p.revents & POLLHUP) != 0;
    if (hung_up && peer_present_) {
        flush_abandoned_input();
        ++departures_;
    }
    peer_present_ = !hung_up;
    return peer_present_;
}

void SerialLine::flush_abandoned_input() {
    // The slave's input queue survives the close of the last slave descriptor; only a
    // slave descriptor can flush it. A port held exclusively makes this open fail,
    // and then there is nothing better to do than to leave the bytes.
    // Input only: the output queue may already hold the next program's request.
    if (keeper_fd_ >= 0) {
        tcflush(keeper_fd_, TCIFLUSH);
        return;
    }
    int slave = open(path_.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (slave < 0) return;
    tcflush(slave, TCIFLUSH);
    close(slave);
}

void SerialLine::read_watch_events() {
    if (watch_fd_ < 0) return;
    if (is_network()) {
        for (;;) {
            const int client = accept4(listen_fd_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
            if (client < 0) return;
            if (fd_ >= 0) {
                // The port is taken, as on a device server with one client per port.
                close(client);
                continue;
            }
            const int on = 1;
            setsockopt(client, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
            fd_ = client;
            peer_present_ = true;
        }
    }
    alignas(inotify_event) char buffer[4096];
    for (;;) {
        const ssize_t n = read(watch_fd_, buffer, sizeof buffer);
        if (n <= 0) return;
        for (ssize_t at = 0; at < n;) {
            const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
            if (event->mask & IN_OPEN) ++peers_;
            if (event->mask & IN_CLOSE) {
                if (peers_ > 0) --peers_;
                ++departures_;
                // Whatever the leaving program did not read is not for the next one.
                flush_abandoned_input();
            }
            at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
        }
        peer_present_ = peers_ > 0;
    }
}

bool SerialLine::read_available(std::vector<std::uint8_t>& out) {
    std::uint8_t buffer[512];
    for (;;) {
        ssize_t n = read(fd_, buffer, sizeof buffer);
        if (n > 0) {
            out.insert(out.end(), buffer, buffer + n);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return true;
        if (is_network()) {
            // End of stream or a reset: the client has gone.
            drop_connection();
            return false;
        }
        // A raw device with VMIN = VTIME = 0 reports "nothing waiting" as 0.
        if (n == 0 && !pseudo_terminal_) return true;
        // EIO (pseudo-terminal without peer) or end of file.
        if (pseudo_terminal_) refresh_peer();
        return false;
    }
}

std::size_t SerialLine::write_some(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    if ((pseudo_terminal_ || is_network()) && !peer_present_) return size;
    for (;;) {
        ssize_t n = is_network() ? send(fd_, data, size, MSG_NOSIGNAL) : write(fd_, data, size);
        if (n >= 0) return static_cast<std::size_t>(n);
        if (errno == EINTR) continue;
        if (errno == EAGAIN || errno == EWOULDBLOCK) return 0;
        // The peer went away between two checks: the bytes are lost like bytes sent
        // into an unplugged cable.
        if (pseudo_terminal_) refresh_peer();
        if (is_network()) drop_connection();
        return size;
    }
}

}  // namespace neva::sim
