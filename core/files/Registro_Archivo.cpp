#include "files/Registro_Archivo.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <string>

#include "platform/CivilDays.h"

namespace neva {

namespace {

const std::int64_t kOleEpoch = days_from_civil(1899, 12, 30);

template <std::size_t N>
void put_text(RecordBytes& out, std::size_t offset, const FixedText<N>& t) {
    const std::string& s = t.str();
    std::copy(s.begin(), s.end(), out.begin() + static_cast<std::ptrdiff_t>(offset));
}

template <std::size_t N>
void get_text(std::span<const std::uint8_t, kRecordSize> in, std::size_t offset, FixedText<N>& t) {
    t = std::string(reinterpret_cast<const char*>(in.data() + offset), N);
}

}  // namespace

RecordBytes Registro_Archivo::encode() const {
    RecordBytes out{};
    put_text(out, kOffsetMarker, marker);
    const auto bits = std::bit_cast<std::uint64_t>(date);
    for (int i = 0; i < 8; ++i) out[kOffsetDate + i] = static_cast<std::uint8_t>(bits >> (8 * i));
    put_text(out, kOffsetProgrammer, programmer);
    put_text(out, kOffsetRelayName, relay_name);
    put_text(out, kOffsetObservations, observations);
    std::copy(setpoints.begin(), setpoints.end(), out.begin() + kOffsetSetpoints);
    std::copy(actual_values.begin(), actual_values.end(), out.begin() + kOffsetActualValues);
    for (std::size_t i = 0; i < kEventEntries; ++i) put_text(out, kOffsetEvents + i * kEventWidth, events[i]);
    put_text(out, kOffsetVersion, version);
    return out;
}

Registro_Archivo Registro_Archivo::decode(std::span<const std::uint8_t, kRecordSize> in) {
    Registro_Archivo r;
    get_text(in, kOffsetMarker, r.marker);
    std::uint64_t bits = 0;
    for (int i = 0; i < 8; ++i) bits |= std::uint64_t(in[kOffsetDate + i]) << (8 * i);
    r.date = std::bit_cast<double>(bits);
    get_text(in, kOffsetProgrammer, r.programmer);
    get_text(in, kOffsetRelayName, r.relay_name);
    get_text(in, kOffsetObservations, r.observations);
    std::copy_n(in.begin() + kOffsetSetpoints, kSetpointImageSize, r.setpoints.begin());
    std::copy_n(in.begin() + kOffsetActualValues, kAvImageSize, r.actual_values.begin());
    for (std::size_t i = 0; i < kEventEntries; ++i) get_text(in, kOffsetEvents + i * kEventWidth, r.events[i]);
    get_text(in, kOffsetVersion, r.version);
    return r;
}

bool Registro_Archivo::marker_ok() const {
    const std::string& s = marker.str();
    const auto first = s.find_first_not_of(' ');
    if (first == std::string::npos) return false;
    const auto last = s.find_last_not_of(' ');
    return s.compare(first, last - first + 1, kFileMarker) == 0;
}

double to_ole_date(const DateTime& t) {
    const std::int64_t days =
        days_from_civil(t.year, t.month, t.day) - kOleEpoch;
    const double fraction = (t.hour * 3600.0 + t.minute * 60.0 + t.second) / 86400.0;
    return days >= 0 ? static_cast<double>(days) + fraction : static_cast<double>(days) - fraction;
}

DateTime from_ole_date(double d) {
    DateTime t;
    // Outside years 100..9999 the value cannot come from a real save.
    if (!std::isfinite(d) || std::fabs(d) > 2958466.0) return t;
    const double whole = std::trunc(d);
    std::int64_t seconds = std::llround(std::fabs(d - whole) * 86400.0);
    std::int64_t days = static_cast<std::int64_t>(whole);
    if (seconds >= 86400) {  // rounded up to the next midnight
        seconds -= 86400;
        days += d >= 0 ? 1 : -1;
    }
    civil_from_days(days + kOleEpoch, t.year, t.month, t.day);
    t.hour = static_cast<int>(seconds / 3600);
    t.minute = static_cast<int>(seconds / 60 % 60);
    t.second = static_cast<int>(seconds % 60);
    return t;
}

}  // namespace neva
