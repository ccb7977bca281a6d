#pragma once
// The simulated NEVA200 relay behind the Modbus slave: its registers, its clock, its
// event record and a small life of its own (load currents that drift, faults that
// trip the breaker, inputs and auxiliary relays that operate now and then), so
// that the setup program's pages have something live to show.
//
// The model does not run by itself: the slave brings it up to date (advance_to)
// before it answers each request, replaying whatever happened since the previous
// request. Time is passed in, so the model can be driven without waiting.

#include <array>
#include <chrono>
#include <cstdint>
#include <deque>
#include <optional>
#include <random>
#include <vector>

namespace neva::sim {

struct RelaySettings {
    std::array<std::uint16_t, 3> identification{12, 2, 103};
    std::uint32_t seed = 1;
    int initial_events = 25;
    // Seconds between events of the simulated life; 0 = the relay stays still.
    double event_every_s = 5.0;
    // Phase A, B, C and ground currents held fixed (no drift, faults or open breaker
    // change them), so a test knows what the relay measures.
    std::optional<std::array<double, 4>> fixed_amps;
};

class RelayModel {
public:
    using TimePoint = std::chrono::steady_clock::time_point;

    // Size of both register spaces (input and holding), in registers.
    static constexpr std::uint16_t kRegisterSpace = 0x0700;
    static constexpr std::size_t kRecordCapacity = 100;

    // Modbus exception codes the relay answers with.
    static constexpr std::uint8_t kIllegalFunction = 1;
    static constexpr std::uint8_t kIllegalAddress = 2;
    static constexpr std::uint8_t kIllegalValue = 3;

    struct Event {
        std::uint16_t number = 0;
        std::uint16_t code = 0;
        std::int64_t tenths = 0;  // relay clock, tenths of a second of civil time
    };

    // clock_start_s: the relay clock at `start`, as civil seconds counted like UTC.
    RelayModel(const RelaySettings& settings, std::int64_t clock_start_s, TimePoint start);

    // Plays the relay's life up to `now` and republishes the registers.
    void advance_to(TimePoint now);

    // Request checks and actions; each returns 0 or a Modbus exception code.
    std::uint8_t check_input_read(std::uint16_t address, std::uint16_t count) const;
    std::uint8_t check_holding_read(std::uint16_t address, std::uint16_t count) const;
    std::uint8_t write_holding(std::uint16_t address, const std::vector<std::uint16_t>& values);
    std::uint8_t command(std::uint16_t code, bool on);

    const std::vector<std::uint16_t>& input_registers() const { return input_; }
    const std::vector<std::uint16_t>& holding_registers() const { return holding_; }

    const std::deque<Event>& events() const { return events_; }
    std::uint16_t newest_event_number() const { return newest_number_; }
    // The relay clock at the last advance_to, in tenths of a second of civil time.
    std::int64_t clock_tenths() const;

    // The three-word time stamp: code and year, month/day/hour, minute and tenths.
    static std::array<std::uint16_t, 3> time_stamp_words(unsigned code, std::int64_t tenths);

private:
    enum class Breaker { closed, open };

    void load_default_setpoints();
    void build_history(int count);
    void life_step(std::int64_t tenths);
    void plan_scenario();
    bool apply_event(std::uint16_t code);
    void record(std::uint16_t code, std::int64_t tenths);
    void trip(std::uint16_t cause, std::int64_t tenths);
    void drift_currents(double seconds);
    double phase_pickup_amps() const;
    double ground_pickup_amps() const;
    void publish();

    RelaySettings settings_;
    std::mt19937 rng_;
    TimePoint start_;
    TimePoint now_;
    std::int64_t clock_start_tenths_ = 0;
    std::int64_t clock_offset_tenths_ = 0;
    std::chrono::steady_clock::duration event_period_{};
    TimePoint next_event_at_;

    std::vector<std::uint16_t> input_;
    std::vector<std::uint16_t> holding_;

    // Event record; numbers count from 1 after each clear.
    std::deque<Event> events_;
    std::uint16_t newest_number_ = 0;
    std::uint16_t selected_number_ = 0;
    std::deque<std::uint16_t> scenario_;

    // Status.
    Breaker breaker_ = Breaker::closed;
    bool trip_ = false;
    bool alarm_ = false;
    bool in_service_ = true;
    bool earthed_ = false;
    bool pickup_i51_ = false, pickup_i50_ = false, pickup_io51_ = false, pickup_io50_ = false;
    std::array<bool, 4> relay_energized_{};  // trip, aux 1, aux 2, aux 3
    std::array<bool, 3> input_active_{};

    // Measurements: load targets, the fault state and a small random walk.
    std::array<double, 4> load_amps_{};
    std::array<double, 4> fault_amps_{};
    bool fault_ = false;
    std::array<double, 4> walk_{};
    std::array<double, 4> amps_{};

    // Maintenance data and the last trip.
    std::uint16_t trips_ = 0, phase_trips_ = 0, ground_trips_ = 0, openings_ = 0;
    std::array<double, 3> accumulated_amps_{};
    std::uint16_t last_trip_cause_ = 0;
    std::int64_t last_trip_tenths_ = 0;
    std::array<double, 4> last_trip_amps_{};
};

}  // namespace neva::sim
