#include "adapters/QtSerialPort.h"

#include <algorithm>

#include <QFileInfo>
#include <QMetaObject>
#include <QStringList>
#include <QtGlobal>

#include "platform/PortName.h"

#ifdef Q_OS_UNIX
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>
#endif

namespace neva {

namespace {

// A pseudo-terminal (the relay simulator's line) accepts the termios calls but
// some of them report failure on some kernels; the speed means nothing there.
bool is_pseudo_terminal(const QString& device) {
    const QString path = QFileInfo(device).canonicalFilePath();
    return path.startsWith(QLatin1String("/dev/pts/")) || device.startsWith(QLatin1String("/dev/pts/"));
}

// Whether an open device has been hung up. A Linux tty whose USB adapter was pulled
// out, or a pseudo-terminal whose other side closed, is hung up: reads return end of
// file (which QSerialPort reports as a read error, again and again, not as a
// resource error) and poll reports a hang-up.
bool device_hung_up(const QSerialPort& port) {
#ifdef Q_OS_UNIX
    const int fd = static_cast<int>(port.handle());
    if (fd < 0) return true;
    pollfd p{fd, POLLIN, 0};
    if (::poll(&p, 1, 0) < 0) return false;
    return (p.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0;
#else
    Q_UNUSED(port);
    return false;
#endif
}

}  // namespace

QtSerialPort::QtSerialPort() {
    QObject::connect(&port_, &QSerialPort::readyRead, &port_, [this] { on_ready_read(); });
    QObject::connect(&port_, &QSerialPort::bytesWritten, &port_, [this](qint64) { on_bytes_written(); });
    QObject::connect(&port_, &QSerialPort::errorOccurred, &port_,
                     [this](QSerialPort::SerialPortError e) { on_error(e); });
}

QtSerialPort::~QtSerialPort() {
    // No events into a half-destroyed owner.
    on_event = nullptr;
    on_lost = nullptr;
    QObject::disconnect(&port_, nullptr, &port_, nullptr);
    if (port_.isOpen()) port_.close();
}

QString QtSerialPort::device_name(int number) {
    return QString::fromStdString(port_device_name(number));
}

bool QtSerialPort::parse_settings(const std::string& text, LineSettings& out) {
    const QStringList parts = QString::fromStdString(text).split(QLatin1Char(','));
    if (parts.size() != 4) return false;
    bool ok = false;
    const qint32 baud = parts[0].trimmed().toInt(&ok);
    if (!ok || baud <= 0) return false;

    LineSettings s;
    s.baud = baud;
    const QString parity = parts[1].trimmed().toUpper();
    if (parity == QLatin1String("N")) s.parity = QSerialPort::NoParity;
    else if (parity == QLatin1String("E")) s.parity = QSerialPort::EvenParity;
    else if (parity == QLatin1String("O")) s.parity = QSerialPort::OddParity;
    else if (parity == QLatin1String("M")) s.parity = QSerialPort::MarkParity;
    else if (parity == QLatin1String("S")) s.parity = QSerialPort::SpaceParity;
    else return false;

    const int data_bits = parts[2].trimmed().toInt(&ok);
    if (!ok || data_bits < 5 || data_bits > 8) return false;
    s.data_bits = static_cast<QSerialPort::DataBits>(data_bits);

    const QString stop = parts[3].trimmed();
    if (stop == QLatin1String("1")) s.stop_bits = QSerialPort::OneStop;
    else if (stop == QLatin1String("1.5")) s.stop_bits = QSerialPort::OneAndHalfStop;
    else if (stop == QLatin1String("2")) s.stop_bits = QSerialPort::TwoStop;
    else return false;

    out = s;
    return true;
}

bool QtSerialPort::open() {
    last_error_.clear();
    if (port_.isOpen()) port_.close();
    receive_armed_ = false;
    send_armed_ = false;

    LineSettings line;
    if (!parse_settings(settings_, line)) {
        last_error_ = QStringLiteral("invalid settings \"%1\"").arg(QString::fromStdString(settings_));
        return false;
    }
    lost_ = false;
    device_ = fixed_device_.isEmpty() ? device_name(port_number_) : fixed_device_;
    if (device_.isEmpty()) {
        last_error_ = QStringLiteral("no device for port %1").arg(port_number_);
        return false;
    }
    port_.setPortName(device_);
    if (!port_.open(QIODevice::ReadWrite)) {
        last_error_ = port_.errorString();
        port_.clearError();
        return false;
    }
    // The line settings are applied on the open port so that a pseudo-terminal that
    // refuses one of them can still be used; a real port that refuses is an error.
    const bool applied = port_.setBaudRate(line.baud) && port_.setParity(line.parity) &&
                         port_.setDataBits(line.data_bits) && port_.setStopBits(line.stop_bits) &&
                         port_.setFlowControl(QSerialPort::NoFlowControl);
    if (!applied) {
        if (!is_pseudo_terminal(device_)) {
            last_error_ = port_.errorString();
            port_.close();
            port_.clearError();
            return false;
        }
        port_.clearError();
    }
    port_.setDataTerminalReady(dtr_);
    port_.clearError();
    lost_reported_ = false;
    wake_threshold_ = -1;
    apply_wake_threshold();
    return true;
}

void QtSerialPort::apply_wake_threshold() {
#ifdef Q_OS_UNIX
    // The relay paces its answer byte by byte; woken for every byte, the program
    // spends most of its time going to sleep and waking up again. In raw mode with
    // VTIME 0 the terminal reports input to poll() only once VMIN bytes are waiting,
    // so the receive threshold becomes one wake-up per answer. Reads stay
    // non-blocking (O_NONBLOCK), and read_all() takes whatever waits below it.
    if (!port_.isOpen()) return;
    const int wanted = receive_threshold_ > 0 ? std::min(receive_threshold_, 255) : 1;
    if (wanted == wake_threshold_) return;
    const int fd = static_cast<int>(port_.handle());
    termios tio{};
    if (fd < 0 || ::tcgetattr(fd, &tio) != 0) return;
    tio.c_cc[VMIN] = static_cast<cc_t>(wanted);
    tio.c_cc[VTIME] = 0;
    if (::tcsetattr(fd, TCSANOW, &tio) == 0) wake_threshold_ = wanted;
#endif
}

void QtSerialPort::drain_device(QByteArray& out) {
#ifdef Q_OS_UNIX
    if (!port_.isOpen() || wake_threshold_ <= 1) return;
    const int fd = static_cast<int>(port_.handle());
    char buffer[512];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n <= 0) return;
        out.append(buffer, static_cast<int>(n));
    }
#else
    Q_UNUSED(out);
#endif
}

std::string QtSerialPort::diagnosis() const {
    if (lost_) return "the serial device " + device_.toStdString() + " went away (unplugged?)";
    if (!last_error_.isEmpty()) return device_.toStdString() + ": " + last_error_.toStdString();
    return {};
}

void QtSerialPort::close() {
    receive_armed_ = false;
    send_armed_ = false;
    if (port_.isOpen()) port_.close();
}

std::size_t QtSerialPort::bytes_waiting() const {
    if (!port_.isOpen()) return 0;
    std::size_t n = static_cast<std::size_t>(port_.bytesAvailable());
#ifdef Q_OS_UNIX
    // Below the wake-up threshold the bytes are still in the terminal.
    int queued = 0;
    if (wake_threshold_ > 1 && ::ioctl(static_cast<int>(port_.handle()), FIONREAD, &queued) == 0 && queued > 0)
        n += static_cast<std::size_t>(queued);
#endif
    return n;
}

std::vector<std::uint8_t> QtSerialPort::read_all() {
    // Emptying the buffer lets the next answer cross the threshold again.
    if (receive_threshold_ > 0) receive_armed_ = true;
    if (!port_.isOpen()) return {};
    QByteArray data = port_.readAll();
    drain_device(data);
    return std::vector<std::uint8_t>(data.begin(), data.end());
}

bool QtSerialPort::write(const std::vector<std::uint8_t>& bytes) {
    if (!port_.isOpen()) return false;
    if (bytes.empty()) return true;
    if (send_threshold_ > 0) send_armed_ = true;
    std::size_t done = 0;
#ifdef Q_OS_UNIX
    // A request is a few bytes that the terminal takes at once. Written straight to
    // the device, it costs one system call instead of several turns of the event loop
    // through QSerialPort's write notifier. Anything the device does not take now
    // goes the usual way, after what was written here.
    if (port_.bytesToWrite() == 0) {
        const ssize_t n = ::write(static_cast<int>(port_.handle()), bytes.data(), bytes.size());
        if (n > 0) done = static_cast<std::size_t>(n);
        if (done == bytes.size()) {
            // "Sent" is told from the event loop, as QSerialPort would tell it.
            if (send_armed_)
                QMetaObject::invokeMethod(&port_, [this] { on_bytes_written(); }, Qt::QueuedConnection);
            return true;
        }
    }
#endif
    const qint64 rest = static_cast<qint64>(bytes.size() - done);
    const qint64 n = port_.write(reinterpret_cast<const char*>(bytes.data() + done), rest);
    return n == rest;
}

void QtSerialPort::clear_buffers() {
    if (receive_threshold_ > 0) receive_armed_ = true;
    if (!port_.isOpen()) return;
    port_.clear(QSerialPort::AllDirections);
    QByteArray dropped = port_.readAll();  // what QSerialPort had already taken from the device
    drain_device(dropped);
}

void QtSerialPort::set_dtr(bool on) {
    dtr_ = on;
    if (port_.isOpen()) port_.setDataTerminalReady(on);
}

void QtSerialPort::set_receive_threshold(int bytes) {
    receive_threshold_ = bytes > 0 ? bytes : 0;
    receive_armed_ = receive_threshold_ > 0;
    apply_wake_threshold();
}

void QtSerialPort::set_send_threshold(int bytes) {
    send_threshold_ = bytes > 0 ? bytes : 0;
    send_armed_ = false;  // armed by the next write
}

void QtSerialPort::check_receive_threshold() {
    if (!receive_armed_ || receive_threshold_ <= 0) return;
    if (port_.bytesAvailable() < receive_threshold_) return;
    receive_armed_ = false;
    if (on_event) on_event(Event::Receive);
}

void QtSerialPort::on_ready_read() { check_receive_threshold(); }

void QtSerialPort::on_bytes_written() {
    if (!send_armed_ || send_threshold_ <= 0) return;
    if (port_.bytesToWrite() > 0) return;
    send_armed_ = false;
    if (on_event) on_event(Event::Send);
}

void QtSerialPort::on_error(QSerialPort::SerialPortError error) {
    if (error == QSerialPort::NoError) return;
    const bool gone = error == QSerialPort::ResourceError ||
                      ((error == QSerialPort::ReadError || error == QSerialPort::WriteError) &&
                       port_.isOpen() && device_hung_up(port_));
    if (!gone) {
        // Other errors (an ioctl a pseudo-terminal does not know, a failed write)
        // end the transaction by time-out in the link; nothing to do here.
        port_.clearError();
        return;
    }
    // The device is gone (adapter pulled out, simulator ended): close at once so that
    // nothing more is written to it, and tell the owner once, from the event loop, so
    // that the owner is never re-entered from inside one of its own port calls.
    port_.clearError();
    if (port_.isOpen()) port_.close();
    receive_armed_ = false;
    send_armed_ = false;
    lost_ = true;
    if (lost_reported_) return;
    lost_reported_ = true;
    QMetaObject::invokeMethod(
        &port_, [this] {
            if (on_lost) on_lost();
        },
        Qt::QueuedConnection);
}

}  // namespace neva
