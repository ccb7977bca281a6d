#pragma once
// The one record of a setpoint file (*.NEVA2): 3168 bytes, fields packed with no
// padding, texts single-byte, left-aligned and blank-filled with no terminator.
// Files written by earlier versions of the program use exactly this layout, so
// every field is copied byte for byte.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

#include "image/RegisterImages.h"
#include "platform/Clock.h"
#include "startup/FixedText.h"

namespace neva {

inline constexpr std::size_t kRecordSize = 3168;
inline constexpr std::size_t kEventEntries = 21;  // entries 0..20
inline constexpr std::size_t kEventWidth = 60;

// Field offsets within the record.
inline constexpr std::size_t kOffsetMarker = 0;          // 50
inline constexpr std::size_t kOffsetDate = 50;           // 8, little-endian double
inline constexpr std::size_t kOffsetProgrammer = 58;     // 20
inline constexpr std::size_t kOffsetRelayName = 78;      // 20
inline constexpr std::size_t kOffsetObservations = 98;   // 100
inline constexpr std::size_t kOffsetSetpoints = 198;     // 201
inline constexpr std::size_t kOffsetActualValues = 399;  // 1501
inline constexpr std::size_t kOffsetEvents = 1900;       // 21 x 60
inline constexpr std::size_t kOffsetVersion = 3160;      // 8

inline constexpr const char* kFileMarker = "NEVA2";

using RecordBytes = std::array<std::uint8_t, kRecordSize>;

struct Registro_Archivo {
    FixedText<50> marker;
    double date = 0.0;  // OLE automation date of the save
    FixedText<20> programmer;
    FixedText<20> relay_name;
    FixedText<100> observations;
    SetpointImage setpoints{};
    AvImage actual_values{};
    std::array<FixedText<kEventWidth>, kEventEntries> events{};
    FixedText<8> version;

    RecordBytes encode() const;
    // The first kRecordSize bytes of `bytes`; the caller has checked the length.
    static Registro_Archivo decode(std::span<const std::uint8_t, kRecordSize> bytes);
    // The marker with leading and trailing blanks removed is exactly "NEVA2".
    bool marker_ok() const;
};

// Days since 30 December 1899, the time of day as the fraction. Before that day
// the integer part counts backwards while the fraction still adds the time of day.
double to_ole_date(const DateTime& t);
// The inverse, to the nearest second.
DateTime from_ole_date(double d);

}  // namespace neva
