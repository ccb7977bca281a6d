#pragma once
// The relay line over TCP, behind the core's serial port: either to a serial device
// server that passes the RTU bytes through unchanged (tcp://), or to a Modbus TCP
// gateway (mbtcp://), where each request is sent in MBAP framing and each answer is
// turned back into the RTU answer the link expects. Thresholds and events behave as
// on the serial port, so the link engine cannot tell the difference.
//
// Opening never blocks: open() starts the connection and returns; a request written
// before the connection is made waits for it (only the newest one: a request the
// link has given up meanwhile is not sent late). A refused, failed or dropped
// connection closes the port and is reported as a lost device, with the cause in
// diagnosis().

#include <QElapsedTimer>
#include <QTcpSocket>

#include "net/Mbap.h"
#include "net/NetLineWatch.h"
#include "net/PortTarget.h"
#include "platform/SerialPort.h"

namespace neva {

class QtNetworkPort : public SerialPort {
public:
    explicit QtNetworkPort(const PortTarget& target);
    ~QtNetworkPort() override;
    QtNetworkPort(const QtNetworkPort&) = delete;
    QtNetworkPort& operator=(const QtNetworkPort&) = delete;

    void set_port_number(int number) override { number_ = number; }
    int port_number() const override { return number_; }
    // The speed means nothing here: the device server or gateway sets its own line.
    void set_settings(const std::string& s) override { settings_ = s; }
    std::string settings() const override { return settings_; }
    bool open() override;
    void close() override;
    bool is_open() const override { return open_; }

    std::size_t bytes_waiting() const override { return input_.size(); }
    std::vector<std::uint8_t> read_all() override;
    bool write(const std::vector<std::uint8_t>& bytes) override;
    void clear_buffers() override;
    void set_dtr(bool) override {}
    void set_receive_threshold(int bytes) override;
    void set_send_threshold(int bytes) override;
    std::string diagnosis() const override { return watch_.diagnosis(clock_.elapsed()); }

    bool connected() const { return socket_.state() == QAbstractSocket::ConnectedState; }

private:
    bool modbus_tcp() const { return target_.kind == PortTarget::Kind::ModbusTcp; }
    void send_now(const std::vector<std::uint8_t>& frame);
    void on_connected();
    void on_ready_read();
    void on_bytes_written();
    void on_error(QAbstractSocket::SocketError error);
    void on_disconnected();
    void lose(const std::string& why);
    void check_receive_threshold(bool whole_answer = false);

    PortTarget target_;
    QTcpSocket socket_;
    QElapsedTimer clock_;
    NetLineWatch watch_;
    mbap::AnswerReader reader_;
    std::uint16_t transaction_ = 0;
    int number_ = 0;
    std::string settings_ = "9600,N,8,1";
    bool open_ = false;
    bool lost_reported_ = false;
    unsigned generation_ = 0;  // one per open(), so a late loss notice of an earlier connection is ignored
    std::vector<std::uint8_t> input_;
    std::vector<std::uint8_t> waiting_frame_;  // written before the connection was made
    int receive_threshold_ = 0;
    bool receive_armed_ = false;
    int send_threshold_ = 0;
    bool send_armed_ = false;
};

}  // namespace neva
