#include "adapters/QtNetworkPort.h"

#include <QMetaObject>

namespace neva {

QtNetworkPort::QtNetworkPort(const PortTarget& target) : target_(target), watch_(target.endpoint()) {
    clock_.start();
    QObject::connect(&socket_, &QTcpSocket::connected, &socket_, [this] { on_connected(); });
    QObject::connect(&socket_, &QTcpSocket::readyRead, &socket_, [this] { on_ready_read(); });
    QObject::connect(&socket_, &QTcpSocket::bytesWritten, &socket_, [this](qint64) { on_bytes_written(); });
    QObject::connect(&socket_, &QTcpSocket::errorOccurred, &socket_,
                     [this](QAbstractSocket::SocketError e) { on_error(e); });
    QObject::connect(&socket_, &QTcpSocket::disconnected, &socket_, [this] { on_disconnected(); });
}

QtNetworkPort::~QtNetworkPort() {
    on_event = nullptr;
    on_lost = nullptr;
    QObject::disconnect(&socket_, nullptr, &socket_, nullptr);
    socket_.abort();
}

bool QtNetworkPort::open() {
    close();
    if (!PortTarget::valid_host(target_.host) || target_.tcp_port < 1 || target_.tcp_port > 65535) {
        watch_.connecting(clock_.elapsed());
        watch_.failed("\"" + target_.text() + "\" is not a network address");
        return false;
    }
    QString host = QString::fromStdString(target_.host);
    if (host.startsWith(QLatin1Char('['))) host = host.mid(1, host.size() - 2);
    watch_.connecting(clock_.elapsed());
    lost_reported_ = false;
    ++generation_;
    open_ = true;
    // Relay requests are a few bytes each and wait for their answer: send at once.
    socket_.setSocketOption(QAbstractSocket::LowDelayOption, 1);
    socket_.connectToHost(host, static_cast<quint16>(target_.tcp_port));
    return true;
}

void QtNetworkPort::close() {
    open_ = false;
    receive_armed_ = false;
    send_armed_ = false;
    input_.clear();
    waiting_frame_.clear();
    reader_.clear();
    if (socket_.state() != QAbstractSocket::UnconnectedState) {
        // A close asked for is not a lost connection.
        const QSignalBlocker quiet(socket_);
        socket_.abort();
    }
}

std::vector<std::uint8_t> QtNetworkPort::read_all() {
    if (receive_threshold_ > 0) receive_armed_ = true;
    std::vector<std::uint8_t> out;
    out.swap(input_);
    return out;
}

bool QtNetworkPort::write(const std::vector<std::uint8_t>& bytes) {
    if (!open_) return false;
    if (bytes.empty()) return true;
    std::vector<std::uint8_t> frame = bytes;
    if (modbus_tcp()) {
        auto wrapped = mbap::wrap_request(bytes, ++transaction_);
        // A frame that is no relay request (the single byte OFF leaves on the line)
        // has no MBAP form; the gateway would only drop the connection over it.
        if (!wrapped) return false;
        frame = std::move(*wrapped);
        reader_.expect(transaction_);
    }
    if (send_threshold_ > 0) send_armed_ = true;
    watch_.request_sent(clock_.elapsed());
    if (connected()) send_now(frame);
    else waiting_frame_ = std::move(frame);
    return true;
}

void QtNetworkPort::send_now(const std::vector<std::uint8_t>& frame) {
    socket_.write(reinterpret_cast<const char*>(frame.data()), static_cast<qint64>(frame.size()));
}

void QtNetworkPort::clear_buffers() {
    if (receive_threshold_ > 0) receive_armed_ = true;
    input_.clear();
    reader_.clear();
}

void QtNetworkPort::set_receive_threshold(int bytes) {
    receive_threshold_ = bytes > 0 ? bytes : 0;
    receive_armed_ = receive_threshold_ > 0;
}

void QtNetworkPort::set_send_threshold(int bytes) {
    send_threshold_ = bytes > 0 ? bytes : 0;
    send_armed_ = false;
}

void QtNetworkPort::on_connected() {
    watch_.connected(clock_.elapsed());
    if (!waiting_frame_.empty()) {
        send_now(waiting_frame_);
        waiting_frame_.clear();
    }
}

void QtNetworkPort::on_ready_read() {
    const QByteArray data = socket_.readAll();
    if (data.isEmpty() || !open_) return;
    watch_.bytes_received(clock_.elapsed());
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(data.constData());
    bool whole_answer = false;
    if (!modbus_tcp()) {
        input_.insert(input_.end(), bytes, bytes + data.size());
    } else {
        const mbap::AnswerReader::Result r = reader_.feed(bytes, static_cast<std::size_t>(data.size()));
        for (const auto& answer : r.answers) {
            if (answer.size() == 5 && (answer[1] & 0x80) && (answer[2] == 10 || answer[2] == 11))
                watch_.gateway_exception(answer[2]);
            input_.insert(input_.end(), answer.begin(), answer.end());
            whole_answer = true;
        }
    }
    check_receive_threshold(whole_answer);
}

void QtNetworkPort::check_receive_threshold(bool whole_answer) {
    if (!receive_armed_ || receive_threshold_ <= 0) return;
    // Modbus TCP says where an answer ends: one shorter than the threshold (an
    // exception, the gateway's own among them) is all there will be, and is told at
    // once rather than at the time-out.
    if (input_.size() < static_cast<std::size_t>(receive_threshold_) && !whole_answer) return;
    receive_armed_ = false;
    if (on_event) on_event(Event::Receive);
}

void QtNetworkPort::on_bytes_written() {
    if (!send_armed_ || send_threshold_ <= 0 || socket_.bytesToWrite() > 0) return;
    send_armed_ = false;
    if (on_event) on_event(Event::Send);
}

void QtNetworkPort::on_error(QAbstractSocket::SocketError error) {
    if (!open_) return;
    const std::string where = watch_.endpoint();
    switch (error) {
        case QAbstractSocket::ConnectionRefusedError:
            lose("the connection to " + where + " was refused: is the device on, and is " +
                 std::to_string(target_.tcp_port) + " its TCP port?");
            break;
        case QAbstractSocket::RemoteHostClosedError:
            lose(where + " closed the connection");
            break;
        case QAbstractSocket::HostNotFoundError:
            lose("the host " + target_.host + " was not found");
            break;
        case QAbstractSocket::SocketTimeoutError:
            lose("no connection to " + where + ": the network is slow or the device cannot be reached");
            break;
        default:
            lose("the connection to " + where + " failed: " + socket_.errorString().toStdString());
            break;
    }
}

void QtNetworkPort::on_disconnected() {
    if (open_) lose(watch_.endpoint() + " closed the connection");
}

void QtNetworkPort::lose(const std::string& why) {
    watch_.failed(why);
    open_ = false;
    receive_armed_ = false;
    send_armed_ = false;
    waiting_frame_.clear();
    if (lost_reported_) return;
    lost_reported_ = true;
    // Told from the event loop, never from inside one of the owner's own port calls.
    QMetaObject::invokeMethod(
        &socket_,
        [this, generation = generation_] {
            if (generation != generation_) return;
            if (socket_.state() != QAbstractSocket::UnconnectedState) {
                const QSignalBlocker quiet(socket_);
                socket_.abort();
            }
            if (on_lost) on_lost();
        },
        Qt::QueuedConnection);
}

}  // namespace neva
