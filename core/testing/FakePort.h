#pragma once
// A serial port whose line the test plays: it records every frame written and
// lets the test put answer bytes into the input buffer. Events fire only when
// the test asks (deliver/drain), exactly as a port raises them.

#include <deque>
#include <vector>

#include "platform/SerialPort.h"

namespace neva::testing {

class FakePort : public SerialPort {
public:
    void set_port_number(int n) override { port_ = n; }
    int port_number() const override { return port_; }
    void set_settings(const std::string& s) override { settings_ = s; }
    std::string settings() const override { return settings_; }
    bool open() override;
    void close() override { open_ = false; }
    bool is_open() const override { return open_; }
    std::size_t bytes_waiting() const override { return input_.size(); }
    std::vector<std::uint8_t> read_all() override;
    bool write(const std::vector<std::uint8_t>& bytes) override;
    void clear_buffers() override { input_.clear(); }
    void set_dtr(bool on) override { dtr_ = on; }
    void set_receive_threshold(int n) override { rthreshold_ = n; }
    void set_send_threshold(int n) override { sthreshold_ = n; }

    // Test side.
    bool fail_open = false;                      // open() fails
    std::string device, failure;                 // what device_text() and open_failure() say
    std::string device_text() const override { return device; }
    std::string open_failure() const override { return failure; }
    std::vector<std::vector<std::uint8_t>> written;  // every write, in order
    // Puts bytes into the input buffer and raises Receive when the threshold is reached.
    void deliver(const std::vector<std::uint8_t>& bytes);
    // Raises the Send event (the output drained) if a send threshold is set.
    void drain();
    // The device disappears: the port closes and on_lost runs.
    void pull_out();

    int receive_threshold() const { return rthreshold_; }
    int send_threshold() const { return sthreshold_; }
    bool dtr() const { return dtr_; }
    int open_count = 0;

private:
    int port_ = 0;
    std::string settings_;
    bool open_ = false;
    bool dtr_ = false;
    int rthreshold_ = 0;
    int sthreshold_ = 0;
    std::vector<std::uint8_t> input_;
};

}  // namespace neva::testing
