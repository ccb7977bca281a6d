#include "ModbusSlave.h"

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <modbus.h>
#include <unistd.h>
#include <vector>

namespace neva::sim {

namespace {

std::uint16_t word_at(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] << 8 | p[1]); }

}  // namespace

ModbusSlave::ModbusSlave(RelayModel& model, int address, bool log_requests)
    : model_(model), address_(address), log_requests_(log_requests) {}

ModbusSlave::~ModbusSlave() {
    if (ctx_) {
        modbus_close(ctx_);
        modbus_free(ctx_);
    }
    if (mapping_) modbus_mapping_free(mapping_);
}

bool ModbusSlave::open(const std::string& device, std::string& error) {
    // The inner line is a pseudo-terminal, so the speed given here only satisfies
    // libmodbus; the wire time of the real line is imitated by the proxy.
    ctx_ = modbus_new_rtu(device.c_str(), 9600, 'N', 8, 1);
    if (!ctx_) {
        error = std::string("modbus_new_rtu: ") + modbus_strerror(errno);
        return false;
    }
    if (modbus_set_slave(ctx_, address_) != 0) {
        error = std::string("slave address: ") + modbus_strerror(errno);
        return false;
    }
    if (modbus_connect(ctx_) != 0) {
        error = std::string("modbus_connect: ") + modbus_strerror(errno);
        return false;
    }
    return finish_open(error);
}

bool ModbusSlave::open_tcp(int socket_fd, std::string& error) {
    // The address and port given here are never used: the socket is handed over.
    ctx_ = modbus_new_tcp("127.0.0.1", 502);
    if (!ctx_) {
        error = std::string("modbus_new_tcp: ") + modbus_strerror(errno);
        return false;
    }
    modbus_set_socket(ctx_, socket_fd);
    header_ = 7;
    checksum_ = 0;
    return finish_open(error);
}

bool ModbusSlave::finish_open(std::string& error) {
    // The wait for a request returns often, so that the stop flag and a barrier
    // raised by the proxy are seen within a few tens of milliseconds.
    modbus_set_indication_timeout(ctx_, 0, 20000);
    modbus_set_byte_timeout(ctx_, 0, 100000);
    // After a request for another slave libmodbus waits this long and then flushes
    // the line, which would swallow this relay's own request if the master sent it
    // within that time (as a master searching the addresses does). A real relay on a
    // shared line hears its next request however soon it comes.
    modbus_set_response_timeout(ctx_, 0, 2000);
    mapping_ = modbus_mapping_new(64, 0, RelayModel::kRegisterSpace, RelayModel::kRegisterSpace);
    if (!mapping_) {
        error = std::string("modbus_mapping_new: ") + modbus_strerror(errno);
        return false;
    }
    return true;
}

namespace {

void notify(int fd, std::uint32_t value) {
    ssize_t w;
    do {
        w = write(fd, &value, sizeof value);
    } while (w < 0 && errno == EINTR);
}

}  // namespace

void ModbusSlave::run(const std::atomic<bool>& stop, int answer_fd, LineBarrier& barrier) {
    std::uint8_t request[MODBUS_MAX_ADU_LENGTH];
    std::uint32_t acknowledged = 0;
    while (!stop.load()) {
        const int length = modbus_receive(ctx_, request);
        if (stop.load()) break;
        // length <= 0: time-out, bad CRC, another slave's request.
        if (length > 0) {
            const int sent = handle(request, length);
            if (sent > 0) notify(answer_fd, static_cast<std::uint32_t>(sent));
        }
        // Only after the answer in hand, so that it is known to belong to the
        // session that ended.
        const std::uint32_t raised = barrier.requested.load();
        if (raised != acknowledged) {
            acknowledged = raised;
            notify(answer_fd, LineBarrier::kBarrierFlag | raised);
        }
    }
}

int ModbusSlave::handle(const std::uint8_t* frame, int frame_length) {
    // From here on `request` starts one byte before the function code (the address,
    // or the unit id of the MBAP header) and `length` counts as an RTU frame would.
    const std::uint8_t* request = frame + header_ - 1;
    const int length = frame_length - (header_ - 1) + (2 - checksum_);
    if (frame_length < header_ + 1) return 0;
    const std::uint8_t slave = request[0];
    const std::uint8_t function = request[1];
    if (header_ > 1 && slave != address_ && slave != 0) {
        // No relay at that unit behind the gateway.
        if (log_requests_) std::fprintf(stderr, "neva-relay-sim: request for unit %u: gateway exception 11\n", slave);
        return modbus_reply_exception(ctx_, frame, MODBUS_EXCEPTION_GATEWAY_TARGET);
    }
    model_.advance_to(std::chrono::steady_clock::now());

    std::uint8_t exception = 0;
    bool answer_from_mapping = true;
    // Every request of the relay's functions carries at least address and count or value.
    if (length < 8 && (function == 0x03 || function == 0x04 || function == 0x05 || function == 0x06 ||
                       function == 0x10)) {
        exception = RelayModel::kIllegalValue;
    } else {
        const std::uint16_t address = word_at(request + 2);
        const std::uint16_t count = word_at(request + 4);
        switch (function) {
        case 0x03:
            exception = model_.check_holding_read(address, count);
            break;
        case 0x04:
            exception = model_.check_input_read(address, count);
            break;
        case 0x05:
            // Any value but on or off is refused by libmodbus itself.
            if (count == 0xFF00 || count == 0x0000) exception = model_.command(address, count == 0xFF00);
            break;
        case 0x06:
            exception = model_.write_holding(address, {count});
            break;
        case 0x10: {
            const int byte_count = request[6];
            // libmodbus has already sized the frame by its byte count; a count that
            // disagrees with it is libmodbus's to refuse.
            if (count >= 1 && count <= 123 && byte_count == count * 2 && length >= 7 + byte_count + 2) {
                std::vector<std::uint16_t> values(count);
                for (int i = 0; i < count; ++i) values[i] = word_at(request + 7 + 2 * i);
                exception = model_.write_holding(address, values);
            }
            break;
        }
        default:
            // The relay knows only the functions of its protocol.
            exception = RelayModel::kIllegalFunction;
            answer_from_mapping = false;
            break;
        }
    }

    if (log_requests_) {
        std::fprintf(stderr, "neva-relay-sim: request slave %u function %02X", slave, function);
        if (length >= 6) std::fprintf(stderr, " %04X %u", word_at(request + 2), word_at(request + 4));
        if (exception) std::fprintf(stderr, " -> exception %u", exception);
        std::fprintf(stderr, "\n");
    }

    // A broadcast is obeyed but never answered.
    if (slave == 0) return 0;
    if (exception != 0 || !answer_from_mapping) return modbus_reply_exception(ctx_, frame, exception);

    const auto& input = model_.input_registers();
    const auto& holding = model_.holding_registers();
    std::copy(input.begin(), input.end(), mapping_->tab_input_registers);
    std::copy(holding.begin(), holding.end(), mapping_->tab_registers);
    return modbus_reply(ctx_, frame, frame_length, mapping_);
}

}  // namespace neva::sim
