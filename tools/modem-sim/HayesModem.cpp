#include "HayesModem.h"

#include <cctype>
#include <cstdio>

namespace neva::sim {

namespace {

const char* kVerboseText[] = {"OK", "CONNECT", "RING", "NO CARRIER", "ERROR"};

char upper(char c) { return static_cast<char>(std::toupper(static_cast<unsigned char>(c))); }
bool digit(char c) { return c >= '0' && c <= '9'; }

// Reads the digits at i (spaces between them are ignored, as modems do); a command
// without digits means 0. Returns -1 on a number too long to be meaningful.
int read_number(std::string_view s, std::size_t& i) {
    int value = 0;
    int digits = 0;
    while (i < s.size() && (digit(s[i]) || s[i] == ' ')) {
        if (s[i] != ' ') {
            if (++digits > 3) return -1;
            value = value * 10 + (s[i] - '0');
        }
        ++i;
    }
    return value;
}

}  // namespace

HayesModem::Profile HayesModem::factory_profile() {
    Profile p;
    p.s[0] = 0;     // rings before auto-answer (0 = never)
    p.s[2] = '+';   // escape character
    p.s[3] = '\r';  // command line end
    p.s[4] = '\n';  // response formatting
    p.s[5] = 8;     // backspace
    p.s[6] = 2;
    p.s[7] = 50;
    p.s[8] = 2;
    p.s[10] = 14;
    p.s[12] = 50;   // escape guard time, fiftieths of a second
    return p;
}

HayesModem::HayesModem(const Settings& settings, TimePoint now) : settings_(settings) {
    profile_ = factory_profile();
    profile_.echo = settings.echo;
    profile_.verbose = settings.verbose;
    // The command-line choice is what this modem has stored as its profile.
    stored_ = {profile_, profile_};
    if (settings.online) {
        online_ = true;
        connected_ = true;
        last_data_at_ = now - guard_time();
    }
}

std::chrono::milliseconds HayesModem::guard_time() const {
    return std::chrono::milliseconds(profile_.s[12] * 20);
}

std::string HayesModem::result(int code) const {
    if (profile_.quiet) return {};
    const std::string cr(1, static_cast<char>(profile_.s[3]));
    const std::string lf(1, static_cast<char>(profile_.s[4]));
    if (!profile_.verbose) return std::to_string(code) + cr;
    return cr + lf + kVerboseText[code] + cr + lf;
}

std::string HayesModem::info(const std::string& text) const {
    const std::string cr(1, static_cast<char>(profile_.s[3]));
    const std::string lf(1, static_cast<char>(profile_.s[4]));
    return cr + lf + text + cr + lf;
}

std::string HayesModem::receive(std::string_view bytes, TimePoint now) {
    std::string out;
    for (char c : bytes) {
        out += tick(now);
        out += online_ ? data_byte(c, now) : command_byte(c, now);
    }
    return settings_.silent ? std::string() : out;
}

std::string HayesModem::tick(TimePoint now) {
    // Three escape characters followed by a full guard time of silence: back to the
    // command state, the call stays up.
    if (online_ && plus_count_ == 3 && last_plus_at_ && now - *last_plus_at_ >= guard_time()) {
        plus_count_ = 0;
        online_ = false;
        line_.clear();
        return settings_.silent ? std::string() : result(kOk);
    }
    return {};
}

std::optional<HayesModem::TimePoint> HayesModem::next_deadline() const {
    if (online_ && plus_count_ == 3 && last_plus_at_) return *last_plus_at_ + guard_time();
    return std::nullopt;
}

std::string HayesModem::data_byte(char c, TimePoint now) {
    const auto guard = guard_time();
    const bool is_escape = static_cast<std::uint8_t>(c) == profile_.s[2] && profile_.s[2] <= 127;
    if (is_escape && plus_count_ == 0 && (!last_data_at_ || now - *last_data_at_ >= guard)) {
        plus_count_ = 1;  // silence before the first one: may be an escape
    } else if (is_escape && plus_count_ > 0 && plus_count_ < 3 && now - *last_plus_at_ < guard) {
        ++plus_count_;
    } else {
        plus_count_ = 0;  // plain data for the far end, which swallows it
    }
    if (plus_count_ > 0) last_plus_at_ = now;
    last_data_at_ = now;
    return {};
}

std::string HayesModem::command_byte(char c, TimePoint now) {
    std::string out;
    if (profile_.echo) out += c;
    const auto byte = static_cast<std::uint8_t>(c);
    if (byte == profile_.s[3]) {
        std::string line;
        line.swap(line_);
        out += run_line(line, now);
        return out;
    }
    if (byte == profile_.s[5]) {
        if (!line_.empty()) line_.pop_back();
        return out;
    }
    if (c == '\n' || c == '\0') return out;
    if (line_.size() < 256) line_ += c;
    // "A/" repeats the last command line at once, without a line end.
    if (line_.size() >= 2 && upper(line_[line_.size() - 2]) == 'A' && line_.back() == '/') {
        line_.clear();
        if (!last_command_.empty()) out += execute(last_command_, now);
    }
    return out;
}

std::string HayesModem::run_line(const std::string& line, TimePoint now) {
    // Characters before "AT" (line noise, an escape sent in the command state) are
    // not part of the command; a line without "AT" is ignored, as a modem does.
    std::size_t at = std::string::npos;
    for (std::size_t i = 0; i + 1 < line.size(); ++i) {
        if ((line[i] == 'A' && line[i + 1] == 'T') || (line[i] == 'a' && line[i + 1] == 't')) {
            at = i;
            break;
        }
    }
    if (at == std::string::npos) return {};
    if (line.size() > 255) return result(kError);
    last_command_ = line.substr(at + 2);
    return execute(last_command_, now);
}

std::string HayesModem::execute(std::string_view s, TimePoint now) {
    std::string text;  // information lines before the final result
    int final_code = kOk;
    std::size_t i = 0;
    auto in_range = [](int v, int lo, int hi) { return v >= lo && v <= hi; };

    while (i < s.size()) {
        const char c = upper(s[i++]);
        if (c == ' ') continue;
        if (c == '&') {
            while (i < s.size() && s[i] == ' ') ++i;
            if (i >= s.size()) return result(kError);
            const char k = upper(s[i++]);
            const int n = read_number(s, i);
            bool ok = n >= 0 && !refused(std::string("&") + k);
            switch (k) {
            case 'C': ok = ok && in_range(n, 0, 1); break;
            case 'D': ok = ok && in_range(n, 0, 3); break;
            case 'K': ok = ok && (n == 0 || in_range(n, 3, 6)); break;
            case 'S': ok = ok && in_range(n, 0, 1); break;
            case 'F':
                ok = ok && n == 0;
                if (ok) profile_ = factory_profile();
                break;
            case 'W':
                ok = ok && in_range(n, 0, 1);
                if (ok) stored_[static_cast<std::size_t>(n)] = profile_;
                break;
            case 'Y':
                ok = ok && in_range(n, 0, 1);
                if (ok) power_up_profile_ = n;
                break;
            case 'V':
                ok = ok && n == 0;
                if (ok) {
                    char buf[96];
                    std::snprintf(buf, sizeof buf, "E%d Q%d V%d X%d S00:%03u S02:%03u S12:%03u &Y%d",
                                  profile_.echo ? 1 : 0, profile_.quiet ? 1 : 0, profile_.verbose ? 1 : 0,
                                  profile_.x_level, profile_.s[0], profile_.s[2], profile_.s[12],
                                  power_up_profile_);
                    text += info(buf);
                }
                break;
            default: ok = false; break;
            }
            if (!ok) return result(kError);
            continue;
        }
        if (std::isalpha(static_cast<unsigned char>(c)) && refused(std::string(1, c))) return result(kError);
        if (c == 'S') {
            const int reg = read_number(s, i);
            if (reg < 0 || reg > 255) return result(kError);
            while (i < s.size() && s[i] == ' ') ++i;
            if (i < s.size() && s[i] == '=') {
                ++i;
                const int value = read_number(s, i);
                if (value < 0 || value > 255) return result(kError);
                profile_.s[static_cast<std::size_t>(reg)] = static_cast<std::uint8_t>(value);
            } else if (i < s.size() && s[i] == '?') {
                ++i;
                char buf[8];
                std::snprintf(buf, sizeof buf, "%03u", profile_.s[static_cast<std::size_t>(reg)]);
                text += info(buf);
            }
            continue;
        }
        if (c == 'D') {
            // The rest of the line is the number to dial; the far end answers at once.
            connected_ = true;
            online_ = true;
            plus_count_ = 0;
            last_data_at_ = now;
            return text + result(kConnect);
        }
        if (!std::isalpha(static_cast<unsigned char>(c))) return result(kError);
        const int n = read_number(s, i);
        if (n < 0) return result(kError);
        switch (c) {
        case 'A':
            final_code = kNoCarrier;  // nobody is calling
            break;
        case 'B': case 'Q': case 'V': case 'E':
            if (!in_range(n, 0, 1)) return result(kError);
            if (c == 'E') profile_.echo = n == 1;
            if (c == 'V') profile_.verbose = n == 1;
            if (c == 'Q') profile_.quiet = n == 1;
            break;
        case 'H':
            if (!in_range(n, 0, 1)) return result(kError);
            if (n == 0) connected_ = false;
            break;
        case 'I':
            if (!in_range(n, 0, 9)) return result(kError);
            text += info(n == 0 ? "14400" : "NEVA SIMULATED MODEM");
            break;
        case 'L': case 'M':
            if (!in_range(n, 0, 3)) return result(kError);
            break;
        case 'N':
            if (!in_range(n, 0, 1)) return result(kError);
            break;
        case 'O':
            if (!in_range(n, 0, 1)) return result(kError);
            if (!connected_) {
                final_code = kNoCarrier;
            } else {
                online_ = true;
                plus_count_ = 0;
                last_data_at_ = now;
                return text + result(kConnect);
            }
            break;
        case 'P': case 'T':
            break;
        case 'X':
            if (!in_range(n, 0, 4)) return result(kError);
            profile_.x_level = n;
            break;
        case 'Z':
            if (!in_range(n, 0, 1)) return result(kError);
            profile_ = stored_[static_cast<std::size_t>(n)];
            break;
        default:
            return result(kError);
        }
    }
    return text + result(final_code);
}

}  // namespace neva::sim
