#include "RelayModel.h"

#include <algorithm>
#include <cmath>
#include <ctime>

namespace neva::sim {

namespace {

struct Range {
    std::uint16_t first;
    std::uint16_t count;
};

// What a master may read with function 04: identification, clock and actual values,
// maintenance data, the event record head and the event window.
constexpr Range kInputRanges[] = {
    {0x0000, 3}, {0x0200, 0x1C}, {0x0280, 7}, {0x0600, 0x14},
};
// Function 03: the two setpoint blocks (register 0x011B belongs to block 1 although
// the setup program never sends it).
constexpr Range kHoldingReadRanges[] = {{0x0100, 0x1C}, {0x0180, 0x16}};
// Function 16 (and 06): clock, setpoint blocks, event selector.
constexpr Range kHoldingWriteRanges[] = {
    {0x0090, 3}, {0x0100, 0x1C}, {0x0180, 0x16}, {0x0610, 1},
};

template <std::size_t N>
bool inside_one(const Range (&ranges)[N], std::uint16_t address, std::uint16_t count) {
    if (count == 0) return false;
    for (const Range& r : ranges) {
        if (address >= r.first && static_cast<unsigned>(address) + count <= static_cast<unsigned>(r.first) + r.count)
            return true;
    }
    return false;
}

// Civil time arithmetic on a UTC-like count, so that the relay clock never jumps
// with daylight saving of the computer it runs on.
bool civil_from_seconds(std::int64_t seconds, std::tm& out) {
    std::time_t t = static_cast<std::time_t>(seconds);
    return gmtime_r(&t, &out) != nullptr;
}

std::int64_t floor_div(std::int64_t a, std::int64_t b) {
    std::int64_t q = a / b;
    if ((a % b != 0) && ((a < 0) != (b < 0))) --q;
    return q;
}

void put32(std::vector<std::uint16_t>& regs, std::uint16_t address, double amps) {
    double scaled = std::round(std::max(0.0, amps) * 100.0);
    auto value = static_cast<std::uint32_t>(std::min(scaled, 4294967295.0));
    regs[address] = static_cast<std::uint16_t>(value >> 16);
    regs[address + 1] = static_cast<std::uint16_t>(value & 0xFFFF);
}

std::uint16_t saturating_increment(std::uint16_t v) { return v == 0xFFFF ? v : static_cast<std::uint16_t>(v + 1); }

}  // namespace

RelayModel::RelayModel(const RelaySettings& settings, std::int64_t clock_start_s, TimePoint start)
    : settings_(settings),
      rng_(settings.seed),
      start_(start),
      now_(start),
      clock_start_tenths_(clock_start_s * 10),
      input_(kRegisterSpace, 0),
      holding_(kRegisterSpace, 0) {
    load_default_setpoints();

    std::uniform_real_distribution<double> load(0.30, 0.60);
    const double phase_ct = holding_[0x0102];
    for (int i = 0; i < 3; ++i) load_amps_[i] = phase_ct * load(rng_);
    load_amps_[3] = std::uniform_real_distribution<double>(0.8, 3.0)(rng_);

    // A relay that has been in service for a while.
    trips_ = 6;
    phase_trips_ = 4;
    ground_trips_ = 2;
    openings_ = 28;
    accumulated_amps_ = {11250.0, 10870.0, 11930.0};

    build_history(settings_.initial_events);
    selected_number_ = newest_number_;

    if (settings_.event_every_s > 0) {
        event_period_ = std::chrono::duration_cast<std::chrono::steady_clock::duration>(
            std::chrono::duration<double>(settings_.event_every_s));
        next_event_at_ = start_ + event_period_;
    }
    drift_currents(0.0);
    publish();
}

void RelayModel::load_default_setpoints() {
    // Block 1: system set-up, output relays, inputs, event recorder, breaker supervision.
    const std::pair<std::uint16_t, std::uint16_t> defaults[] = {
        {0x0101, 0x0020},  // 50 Hz, residual ground sensing, circuit breaker
        {0x0102, 400},     // phase CT primary, A
        {0x0103, 100},     // ground CT primary, A
        {0x0104, 630},     // disconnector nominal current, A
        {0x0105, 100},     // fuse nominal current, A
        {0x0106, 0x0001},  // trip relay pulsed, auxiliaries latched
        {0x0107, 5},       // pulse times, tenths of a second
        {0x0108, 10},
        {0x0109, 10},
        {0x010A, 10},
        {0x010B, 20},      // block trip delay, hundredths of a second
        {0x010E, 1},       // input functions: breaker earthed, external reset, remote trip
        {0x010F, 2},
        {0x0110, 3},
        {0x0114, 0x001F},  // every event class recorded
        {0x0115, 0x0002},  // discrepancy on aux 1, 200 ms
        {0x0116, 200},
        {0x0117, 0x0004},  // mechanical operations on aux 2, 5000 operations
        {0x0118, 5000},
        {0x0119, 0x0008},  // accumulated amperes on aux 3, 1000 kA
        {0x011A, 1000},
        // Block 2: phase and ground overcurrent.
        {0x0180, 0x0001}, {0x0181, 100}, {0x0182, 2}, {0x0183, 10}, {0x0184, 100},
        {0x0185, 0x0001}, {0x0186, 800}, {0x0187, 50}, {0x0188, 0x0002}, {0x0189, 90},
        {0x018A, 500},
        {0x018B, 0x0001}, {0x018C, 20}, {0x018D, 0}, {0x018E, 10}, {0x018F, 50},
        {0x0190, 0x0001}, {0x0191, 400}, {0x0192, 50}, {0x0193, 0x0002}, {0x0194, 15},
        {0x0195, 1000},
    };
    for (const auto& [address, value] : defaults) holding_[address] = value;
}

std::int64_t RelayModel::clock_tenths() const {
    auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(now_ - start_).count();
    return clock_start_tenths_ + elapsed / 100 + clock_offset_tenths_;
}

std::array<std::uint16_t, 3> RelayModel::time_stamp_words(unsigned code, std::int64_t tenths) {
    std::tm t{};
    civil_from_seconds(floor_div(tenths, 10), t);
    const auto tenth = static_cast<unsigned>(tenths - floor_div(tenths, 10) * 10);
    const unsigned year = static_cast<unsigned>(t.tm_year + 1900) % 100;
    return {
        static_cast<std::uint16_t>(((code & 0x1FF) << 7) | (year & 0x7F)),
        static_cast<std::uint16_t>((t.tm_mon + 1) * 1024 + t.tm_mday * 32 + t.tm_hour),
        static_cast<std::uint16_t>(t.tm_min * 1024 + t.tm_sec * 10 + tenth),
    };
}

void RelayModel::build_history(int count) {
    if (count <= 0) return;
    std::uniform_int_distribution<int> gap_s(3 * 60, 150 * 60);
    std::vector<std::int64_t> gaps;
    std::int64_t total = 0;
    for (int i = 1; i < count; ++i) {
        gaps.push_back(gap_s(rng_) * 10 + std::uniform_int_distribution<int>(0, 9)(rng_));
        total += gaps.back();
    }
    std::int64_t t = clock_start_tenths_ - total - 600;
    record(1, t);  // the record starts where it was last cleared
    for (std::int64_t gap : gaps) {
        t += gap;
        life_step(t);
    }
}

void RelayModel::plan_scenario() {
    static const std::vector<std::uint16_t> kScenarios[] = {
        {42, 40, 5, 26, 4, 27},  // phase timed overcurrent trip after its alarm
        {41, 5, 26, 4, 27},      // phase instantaneous trip
        {45, 43, 5, 26, 4, 27},  // ground timed trip after its alarm
        {44, 5, 26, 4, 27},      // ground instantaneous trip
        {21, 20},                // digital inputs
        {23, 22},
        {25, 24},
        {7, 6},                  // auxiliary relays
        {9, 8},
        {11, 10},
        {26, 27},                // breaker opened and closed by the operator
    };
    constexpr std::size_t kCount = sizeof kScenarios / sizeof kScenarios[0];
    const auto& pick = kScenarios[std::uniform_int_distribution<std::size_t>(0, kCount - 1)(rng_)];
    scenario_.assign(pick.begin(), pick.end());
}

void RelayModel::life_step(std::int64_t tenths) {
    // A step whose change already happened (a reset released the trip relay, the
    // operator already closed the breaker) records nothing; the next one is tried.
    for (int attempts = 0; attempts < 32; ++attempts) {
        if (scenario_.empty()) plan_scenario();
        const std::uint16_t code = scenario_.front();
        scenario_.pop_front();
        if (code == 40 || code == 41 || code == 43 || code == 44) {
            if (breaker_ != Breaker::closed) continue;
            trip(code, tenths);
            record(code, tenths);
            return;
        }
        if (apply_event(code)) {
            record(code, tenths);
            return;
        }
    }
}

double RelayModel::phase_pickup_amps() const {
    return std::max<double>(holding_[0x0102], 5) * std::max<double>(holding_[0x0181], 4) / 100.0;
}

double RelayModel::ground_pickup_amps() const {
    return std::max<double>(holding_[0x0103], 5) * std::max<double>(holding_[0x018C], 4) / 100.0;
}

void RelayModel::trip(std::uint16_t cause, std::int64_t tenths) {
    std::uniform_real_distribution<double> over(1.1, 1.6);
    const bool phase = cause == 40 || cause == 41;
    if (!fault_ || cause == 41 || cause == 44) {
        fault_amps_ = load_amps_;
        if (phase) {
            const double factor = cause == 41 ? 3.0 : 1.0;
            for (int i = 0; i < 3; ++i) fault_amps_[i] = phase_pickup_amps() * factor * over(rng_);
        } else {
            fault_amps_[3] = ground_pickup_amps() * (cause == 44 ? 3.0 : 1.0) * over(rng_);
        }
        fault_ = true;
    }
    drift_currents(0.0);
    trip_ = true;
    pickup_i51_ = pickup_i50_ = pickup_io51_ = pickup_io50_ = false;
    last_trip_cause_ = cause;
    last_trip_tenths_ = tenths;
    last_trip_amps_ = amps_;
    trips_ = saturating_increment(trips_);
    if (phase) phase_trips_ = saturating_increment(phase_trips_);
    else ground_trips_ = saturating_increment(ground_trips_);
}

bool RelayModel::apply_event(std::uint16_t code) {
    std::uniform_real_distribution<double> over(1.1, 1.6);
    switch (code) {
    case 42:  // phase overcurrent alarm: the load rose above the pickup
    case 45:  // ground overcurrent alarm
        if (breaker_ != Breaker::closed || fault_) return false;
        fault_amps_ = load_amps_;
        if (code == 42) {
            for (int i = 0; i < 3; ++i) fault_amps_[i] = phase_pickup_amps() * over(rng_);
            pickup_i51_ = true;
        } else {
            fault_amps_[3] = ground_pickup_amps() * over(rng_);
            pickup_io51_ = true;
        }
        fault_ = true;
        alarm_ = true;
        drift_currents(0.0);
        return true;
    case 5:
        if (relay_energized_[0]) return false;
        relay_energized_[0] = true;
        return true;
    case 4:
        if (!relay_energized_[0]) return false;
        relay_energized_[0] = false;
        trip_ = false;
        return true;
    case 26:
        if (breaker_ != Breaker::closed) return false;
        for (int i = 0; i < 3; ++i) accumulated_amps_[i] += amps_[i];
        openings_ = saturating_increment(openings_);
        breaker_ = Breaker::open;
        fault_ = false;
        alarm_ = false;
        pickup_i51_ = pickup_i50_ = pickup_io51_ = pickup_io50_ = false;
        drift_currents(0.0);
        return true;
    case 27:
        if (breaker_ != Breaker::open || trip_) return false;
        breaker_ = Breaker::closed;
        drift_currents(0.0);
        return true;
    case 6: case 7: case 8: case 9: case 10: case 11: {
        const int relay = 1 + (code - 6) / 2;
        const bool on = (code % 2) == 1;
        if (relay_energized_[relay] == on) return false;
        relay_energized_[relay] = on;
        return true;
    }
    case 20: case 21: case 22: case 23: case 24: case 25: {
        const int input = (code - 20) / 2;
        const bool active = (code % 2) == 1;
        if (input_active_[input] == active) return false;
        input_active_[input] = active;
        return true;
    }
    default:
        return false;
    }
}

void RelayModel::record(std::uint16_t code, std::int64_t tenths) {
    newest_number_ = newest_number_ == 0xFFFF ? 1 : static_cast<std::uint16_t>(newest_number_ + 1);
    events_.push_back(Event{newest_number_, code, tenths});
    while (events_.size() > kRecordCapacity) events_.pop_front();
}

void RelayModel::drift_currents(double seconds) {
    if (settings_.fixed_amps) {
        amps_ = *settings_.fixed_amps;
        return;
    }
    std::normal_distribution<double> step(0.0, 0.01 * std::sqrt(std::max(seconds, 0.0)));
    for (int i = 0; i < 4; ++i) {
        if (seconds > 0) walk_[i] = std::clamp(walk_[i] + step(rng_), -0.06, 0.06);
        double target = fault_ ? fault_amps_[i] : load_amps_[i];
        if (breaker_ == Breaker::open) target = 0.0;
        amps_[i] = target * (1.0 + walk_[i]);
    }
}

void RelayModel::advance_to(TimePoint now) {
    if (now < now_) now = now_;
    const double seconds = std::chrono::duration<double>(now - now_).count();
    if (event_period_.count() > 0) {
        // After a long silence only the last stretch is replayed; a record that
        // filled up with a thousand events at once would help nobody.
        int replayed = 0;
        while (next_event_at_ <= now && replayed < 1000) {
            now_ = next_event_at_;
            life_step(clock_tenths());
            next_event_at_ += event_period_;
            ++replayed;
        }
        if (next_event_at_ <= now) next_event_at_ = now + event_period_;
    }
    now_ = now;
    drift_currents(seconds);
    publish();
}

std::uint8_t RelayModel::check_input_read(std::uint16_t address, std::uint16_t count) const {
    return inside_one(kInputRanges, address, count) ? 0 : kIllegalAddress;
}

std::uint8_t RelayModel::check_holding_read(std::uint16_t address, std::uint16_t count) const {
    return inside_one(kHoldingReadRanges, address, count) ? 0 : kIllegalAddress;
}

std::uint8_t RelayModel::write_holding(std::uint16_t address, const std::vector<std::uint16_t>& values) {
    if (!inside_one(kHoldingWriteRanges, address, static_cast<std::uint16_t>(values.size())))
        return kIllegalAddress;
    std::copy(values.begin(), values.end(), holding_.begin() + address);
    if (address == 0x0610) selected_number_ = values[0];
    publish();
    return 0;
}

std::uint8_t RelayModel::command(std::uint16_t code, bool on) {
    switch (code) {
    case 1: case 2: case 5: case 8: case 9: case 20: case 21: case 22:
        break;
    default:
        return kIllegalAddress;
    }
    if (!on) return 0;  // only "on" starts a command
    const std::int64_t now = clock_tenths();
    switch (code) {
    case 1:  // reset: release the latched trip and clear the alarm
        trip_ = false;
        alarm_ = false;
        fault_ = false;
        pickup_i51_ = pickup_i50_ = pickup_io51_ = pickup_io50_ = false;
        if (relay_energized_[0]) {
            relay_energized_[0] = false;
            record(4, now);
        }
        drift_currents(0.0);
        break;
    case 5: {  // take the time written to 0x0090..0x0092
        const std::uint16_t w1 = holding_[0x0090], w2 = holding_[0x0091], w3 = holding_[0x0092];
        std::tm t{};
        t.tm_year = 2000 + (w1 & 0x7F) - 1900;
        t.tm_mon = ((w2 >> 10) & 0x0F) - 1;
        t.tm_mday = (w2 >> 5) & 0x1F;
        t.tm_hour = w2 & 0x1F;
        t.tm_min = (w3 >> 10) & 0x3F;
        const int tenths = w3 & 0x3FF;
        t.tm_sec = tenths / 10;
        const std::tm asked = t;
        if (asked.tm_mon < 0 || asked.tm_mon > 11 || asked.tm_mday < 1 || asked.tm_hour > 23 ||
            asked.tm_min > 59 || tenths > 599)
            return kIllegalValue;
        const std::int64_t seconds = timegm(&t);
        std::tm back{};
        civil_from_seconds(seconds, back);
        if (back.tm_mday != asked.tm_mday || back.tm_mon != asked.tm_mon) return kIllegalValue;  // 31 April
        clock_offset_tenths_ += seconds * 10 + tenths % 10 - now;
        break;
    }
    case 8:  // clear maintenance data
        trips_ = phase_trips_ = ground_trips_ = openings_ = 0;
        accumulated_amps_ = {};
        record(54, now);
        break;
    case 9:  // clear events: the record restarts with the clear itself
        events_.clear();
        newest_number_ = 0;
        record(1, now);
        selected_number_ = newest_number_;
        break;
    default:  // accepted, nothing this relay shows depends on it
        break;
    }
    publish();
    return 0;
}

void RelayModel::publish() {
    std::vector<std::uint16_t>& r = input_;
    for (int i = 0; i < 3; ++i) r[i] = settings_.identification[i];

    const auto clock = time_stamp_words(0, clock_tenths());
    std::copy(clock.begin(), clock.end(), r.begin() + 0x0200);

    std::uint16_t status = 0;
    if (trip_) status |= 0x0001;
    if (alarm_) status |= 0x0002;
    if (in_service_) status |= 0x0004;
    if (breaker_ == Breaker::closed) status |= 0x0008;
    if (breaker_ == Breaker::open) status |= 0x0010;
    if (earthed_) status |= 0x0020;
    if (pickup_i51_) status |= 0x0040;
    if (pickup_i50_) status |= 0x0080;
    if (pickup_io51_) status |= 0x0200;
    if (pickup_io50_) status |= 0x0400;
    r[0x0203] = status;
    r[0x0204] = 0;
    std::uint16_t outputs = 0;
    for (int i = 0; i < 4; ++i)
        if (!relay_energized_[i]) outputs |= static_cast<std::uint16_t>(1u << i);  // 1 = de-energised
    r[0x0205] = outputs;
    std::uint16_t inputs = 0;
    for (int i = 0; i < 3; ++i)
        if (input_active_[i]) inputs |= static_cast<std::uint16_t>(1u << i);
    if (breaker_ == Breaker::closed) inputs |= 0x0008;  // breaker auxiliary contacts 52a / 52b
    else inputs |= 0x0010;
    if (earthed_) inputs |= 0x0020;
    r[0x0206] = inputs;
    r[0x0207] = 0;
    r[0x0208] = 0;
    for (int i = 0; i < 4; ++i) put32(r, static_cast<std::uint16_t>(0x0209 + 2 * i), amps_[i]);

    if (last_trip_cause_ != 0) {
        const auto stamp = time_stamp_words(last_trip_cause_, last_trip_tenths_);
        std::copy(stamp.begin(), stamp.end(), r.begin() + 0x0211);
    } else {
        std::fill(r.begin() + 0x0211, r.begin() + 0x0214, 0);
    }
    for (int i = 0; i < 4; ++i) put32(r, static_cast<std::uint16_t>(0x0214 + 2 * i), last_trip_amps_[i]);

    r[0x0280] = trips_;
    for (int i = 0; i < 3; ++i)
        r[0x0281 + i] = static_cast<std::uint16_t>(std::min(accumulated_amps_[i] / 1000.0, 65535.0));
    r[0x0284] = phase_trips_;
    r[0x0285] = ground_trips_;
    r[0x0286] = openings_;

    r[0x0600] = newest_number_;
    if (!events_.empty()) {
        const auto stamp = time_stamp_words(events_.back().code, events_.back().tenths);
        std::copy(stamp.begin(), stamp.end(), r.begin() + 0x0601);
    } else {
        std::fill(r.begin() + 0x0601, r.begin() + 0x0604, 0);
    }

    r[0x0610] = selected_number_;
    std::fill(r.begin() + 0x0611, r.begin() + 0x0614, 0);
    for (const Event& e : events_) {
        if (e.number == selected_number_) {
            const auto stamp = time_stamp_words(e.code, e.tenths);
            std::copy(stamp.begin(), stamp.end(), r.begin() + 0x0611);
            break;
        }
    }
}

}  // namespace neva::sim
