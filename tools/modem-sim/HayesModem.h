#pragma once
// A Hayes-compatible modem as the setup program's modem programming meets it: AT
// command lines with echo (E), verbose or numeric result codes (V), quiet mode
// (Q), S-registers, stored profiles (&W, &Y, Z, &F), and in the data state the
// "+++" escape surrounded by its guard time (S12, fiftieths of a second; escape
// character in S2). There is no telephone line: ATD connects at once to a far
// end that swallows the data, ATA finds no call.
//
// Time is passed in, so the guard time can be exercised without waiting.

#include <array>
#include <chrono>
#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <string_view>

namespace neva::sim {

class HayesModem {
public:
    using TimePoint = std::chrono::steady_clock::time_point;

    struct Settings {
        bool echo = true;      // E1
        bool verbose = true;   // V1
        bool silent = false;   // never says anything, not even the echo
        bool online = false;   // starts connected, in the data state
        // Command names ("W", "&W", "S", "D"...) this modem does not know: they get
        // ERROR where they stand in a line, after the commands before them took
        // effect. Names are upper case.
        std::set<std::string> refused;
    };

    // Result codes.
    static constexpr int kOk = 0, kConnect = 1, kRing = 2, kNoCarrier = 3, kError = 4;

    explicit HayesModem(const Settings& settings, TimePoint now = TimePoint{});

    // Bytes from the computer, received at `now`; returns the bytes the modem sends back.
    std::string receive(std::string_view bytes, TimePoint now);
    // Time passes: the guard time after an escape may have run out. Returns what to send.
    std::string tick(TimePoint now);
    // When tick() next has something to do, if ever.
    std::optional<TimePoint> next_deadline() const;

    bool online() const { return online_; }
    bool connected() const { return connected_; }
    bool echo() const { return profile_.echo; }
    bool verbose() const { return profile_.verbose; }
    std::uint8_t s_register(int n) const { return profile_.s[static_cast<std::size_t>(n)]; }

private:
    struct Profile {
        bool echo = true;
        bool verbose = true;
        bool quiet = false;
        int x_level = 4;
        std::array<std::uint8_t, 256> s{};
    };
    static Profile factory_profile();

    std::string command_byte(char c, TimePoint now);
    std::string data_byte(char c, TimePoint now);
    std::string run_line(const std::string& line, TimePoint now);
    std::string execute(std::string_view commands, TimePoint now);
    std::string result(int code) const;
    std::string info(const std::string& text) const;
    bool refused(const std::string& name) const { return settings_.refused.count(name) > 0; }
    std::chrono::milliseconds guard_time() const;

    Settings settings_;
    Profile profile_;
    std::array<Profile, 2> stored_;
    int power_up_profile_ = 0;

    std::string line_;
    std::string last_command_;
    bool online_ = false;
    bool connected_ = false;

    // Escape detection in the data state.
    std::optional<TimePoint> last_data_at_;
    std::optional<TimePoint> last_plus_at_;
    int plus_count_ = 0;
};

}  // namespace neva::sim
