#pragma once
// The outer end of a simulated device's line: the pseudo-terminal whose path the
// program under test opens as its serial port, or a real serial device.
//
// The program opens and closes its port many times in one run (connect, modem
// programming, disconnect), sometimes closing and reopening within microseconds.
// The line watches the opens and closes of the slave device (inotify), so it knows
// whether a program holds the port, drops what would be written into an empty
// line, and throws away bytes that a departed program left unread, so that the
// next program to open the port does not read a stale answer as the answer to its
// first request. The simulator holds a slave descriptor of its own for that flush,
// which also keeps the master from reporting hang-ups. Where inotify is missing,
// the master's hang-up state stands in (it can miss a very quick reopen).

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace neva::sim {

class SerialLine {
public:
    // A new pseudo-terminal in raw mode; path() is the slave end to hand out.
    static std::unique_ptr<SerialLine> open_pseudo_terminal(std::string& error);
    // An existing serial device, raw, 8N1, at the given speed.
    static std::unique_ptr<SerialLine> open_device(const std::string& path, unsigned baud,
                                                   std::string& error);

    // A TCP listener on the loopback interface (port 0: a free port the system picks).
    // It holds one connection at a time, as a serial device server's port does: a
    // second client is refused while the first is connected. path() is
    // "127.0.0.1:<port>"; a connection that ends is a departure, as a program that
    // closes the pseudo-terminal is.
    static std::unique_ptr<SerialLine> open_tcp_listener(unsigned port, std::string& error);

    // Creates a raw pseudo-terminal pair for internal use: the master descriptor and
    // the slave path. Returns -1 and fills error on failure.
    static int create_raw_pty(std::string& slave_path, std::string& error);

    ~SerialLine();
    SerialLine(const SerialLine&) = delete;
    SerialLine& operator=(const SerialLine&) = delete;

    const std::string& path() const { return path_; }
    int fd() const { return fd_; }
    bool is_pseudo_terminal() const { return pseudo_terminal_; }
    bool is_network() const { return listen_fd_ >= 0; }
    // The TCP port listened on (network lines only).
    unsigned tcp_port() const { return tcp_port_; }

    // A symbolic link to path(), removed again when the line is destroyed. An
    // existing symbolic link at link_path is replaced; any other file is refused.
    bool make_link(const std::string& link_path, std::string& error);

    // Re-examines whether a program holds the line open (always true for a device).
    // On the change from present to absent the unread input is flushed.
    bool refresh_peer();
    bool peer_present() const { return peer_present_; }
    // How many times a program has let go of the line.
    std::uint64_t departures() const { return departures_; }
    // Descriptor to poll for open and close notices (-1 when there are none), and
    // the handler to call when it is readable.
    int watch_fd() const { return watch_fd_; }
    void read_watch_events();

    // Appends every byte waiting on the line to out. Returns false when the line
    // failed (device) or the peer has gone (pseudo-terminal; see refresh_peer).
    bool read_available(std::vector<std::uint8_t>& out);

    // Writes what the line accepts now; returns the number of bytes taken. While no
    // peer is present the bytes are discarded and reported as taken.
    std::size_t write_some(const std::uint8_t* data, std::size_t size);

private:
    SerialLine() = default;
    void flush_abandoned_input();
    void drop_connection();

    int fd_ = -1;
    std::string path_;
    std::string link_path_;
    bool pseudo_terminal_ = false;
    bool peer_present_ = true;
    std::uint64_t departures_ = 0;
    int watch_fd_ = -1;
    int keeper_fd_ = -1;   // our own slave descriptor (with inotify only)
    unsigned peers_ = 0;   // slave opens by other programs not yet closed
    int listen_fd_ = -1;   // network lines: the listening socket (also watch_fd_)
    unsigned tcp_port_ = 0;
};

}  // namespace neva::sim
