#pragma once
// The relay's Modbus-RTU slave: libmodbus on the inner pseudo-terminal. Each
// request is first shown to the relay model (so that commands, the event selector
// and the clock take effect and reads see current values), then answered by
// libmodbus from the model's registers. The length of every answer written is
// announced on a pipe, so that the line proxy knows where one answer ends and can
// pace, corrupt or drop it as a whole.

#include <atomic>
#include <cstdint>
#include <string>

#include "RelayModel.h"
#include "SerialProxy.h"

typedef struct _modbus modbus_t;
typedef struct _modbus_mapping_t modbus_mapping_t;

namespace neva::sim {

class ModbusSlave {
public:
    ModbusSlave(RelayModel& model, int address, bool log_requests);
    ~ModbusSlave();
    ModbusSlave(const ModbusSlave&) = delete;
    ModbusSlave& operator=(const ModbusSlave&) = delete;

    bool open(const std::string& device, std::string& error);
    // The relay behind a Modbus TCP gateway: MBAP requests and answers on a stream
    // socket (one end of a socket pair whose other end the proxy holds). A request for
    // another unit gets the gateway's exception 11, as no relay answers it.
    bool open_tcp(int socket_fd, std::string& error);
    // Serves requests until stop is set; answer lengths go to answer_fd as uint32,
    // followed by the acknowledgement of every barrier raised meanwhile.
    void run(const std::atomic<bool>& stop, int answer_fd, LineBarrier& barrier);

private:
    int handle(const std::uint8_t* request, int length);
    bool finish_open(std::string& error);

    RelayModel& model_;
    int address_;
    bool log_requests_;
    modbus_t* ctx_ = nullptr;
    modbus_mapping_t* mapping_ = nullptr;
    int header_ = 1;  // bytes before the function code: 1 (RTU address) or 7 (MBAP)
    int checksum_ = 2;  // CRC bytes at the end: 2 (RTU) or 0 (MBAP)
};

}  // namespace neva::sim
