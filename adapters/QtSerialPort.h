#pragma once
// The serial port of the program on QSerialPort. It adds what the relay link was
// written against and QSerialPort does not have: a receive threshold (one event as
// soon as a whole answer can be waiting) and a send threshold (one event when the
// request has left the output buffer), and the program's port numbering.

#include <QSerialPort>
#include <QString>

#include "platform/SerialPort.h"

namespace neva {

class QtSerialPort : public SerialPort {
public:
    QtSerialPort();
    ~QtSerialPort() override;
    QtSerialPort(const QtSerialPort&) = delete;
    QtSerialPort& operator=(const QtSerialPort&) = delete;

    // The device of port number n: the environment variable NEVA_COM<n> when it is
    // set, otherwise /dev/ttyS<n-1> (COM<n> on Windows). Empty for n < 1 without a
    // variable.
    static QString device_name(int number);

    // Parsed form of a settings text such as "9600,N,8,1".
    struct LineSettings {
        qint32 baud = 9600;
        QSerialPort::Parity parity = QSerialPort::NoParity;
        QSerialPort::DataBits data_bits = QSerialPort::Data8;
        QSerialPort::StopBits stop_bits = QSerialPort::OneStop;
    };
    // False when the text is not speed, parity (N, E, O, M, S), data bits (5..8) and
    // stop bits (1, 1.5, 2), separated by commas.
    static bool parse_settings(const std::string& text, LineSettings& out);

    // A device opened by its path whatever the port number (a port chosen from the
    // computer's list, or given on the command line); empty: by the number.
    void set_device(const QString& device) { fixed_device_ = device; }

    void set_port_number(int number) override { port_number_ = number; }
    int port_number() const override { return port_number_; }
    void set_settings(const std::string& settings) override { settings_ = settings; }
    std::string settings() const override { return settings_; }
    bool open() override;
    void close() override;
    bool is_open() const override { return port_.isOpen(); }

    std::size_t bytes_waiting() const override;
    std::vector<std::uint8_t> read_all() override;
    bool write(const std::vector<std::uint8_t>& bytes) override;
    void clear_buffers() override;
    void set_dtr(bool on) override;

    void set_receive_threshold(int bytes) override;
    void set_send_threshold(int bytes) override;

    // The device name the last open() used, and why it failed (empty after success).
    QString device() const { return device_; }
    QString last_error() const { return last_error_; }
    // Why the port could not be opened, or that the device went away.
    std::string diagnosis() const override;
    std::string device_text() const override {
        return (fixed_device_.isEmpty() ? device_name(port_number_) : fixed_device_).toStdString();
    }
    std::string open_failure() const override { return last_error_.toStdString(); }

private:
    void on_ready_read();
    void on_bytes_written();
    void on_error(QSerialPort::SerialPortError error);
    void check_receive_threshold();
    // Bytes the kernel holds that QSerialPort has not taken yet (Unix), appended to out.
    void drain_device(QByteArray& out);
    void apply_wake_threshold();

    QSerialPort port_;
    int port_number_ = 0;
    std::string settings_ = "9600,N,8,1";
    QString device_;
    QString fixed_device_;
    bool lost_ = false;
    QString last_error_;
    bool dtr_ = false;
    int receive_threshold_ = 0;
    bool receive_armed_ = false;
    int send_threshold_ = 0;
    bool send_armed_ = false;
    bool lost_reported_ = false;
    int wake_threshold_ = -1;  // VMIN now set on the device; -1 unknown
};

}  // namespace neva
