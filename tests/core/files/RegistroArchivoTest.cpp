#include <gtest/gtest.h>

#include <string>

#include "files/Registro_Archivo.h"

namespace neva {
namespace {

std::string text_at(const RecordBytes& b, std::size_t offset, std::size_t len) {
    return std::string(reinterpret_cast<const char*>(b.data() + offset), len);
}

TEST(RegistroArchivo, LayoutIsByteExact) {
    Registro_Archivo r;
    r.marker = "NEVA2";
    r.date = 36526.5;  // 1 January 2000, noon
    r.programmer = "Ana";
    r.relay_name = "FEEDER 7 NORTH BAY 12345";  // cut to 20
    r.observations = "obs";
    r.setpoints[0] = 0x11;
    r.setpoints[200] = 0x22;
    r.actual_values[0] = 0x33;
    r.actual_values[1500] = 0x44;
    r.events[0] = "first";
    r.events[20] = "last";
    r.version = "1.03";

    const RecordBytes b = r.encode();
    EXPECT_EQ(text_at(b, 0, 50), "NEVA2" + std::string(45, ' '));
    const std::uint8_t date_bytes[8] = {0x00, 0x00, 0x00, 0x00, 0xD0, 0xD5, 0xE1, 0x40};
    for (int i = 0; i < 8; ++i) EXPECT_EQ(b[50 + i], date_bytes[i]) << i;
    EXPECT_EQ(text_at(b, 58, 20), "Ana" + std::string(17, ' '));
    EXPECT_EQ(text_at(b, 78, 20), "FEEDER 7 NORTH BAY 1");
    EXPECT_EQ(text_at(b, 98, 100), "obs" + std::string(97, ' '));
    EXPECT_EQ(b[198], 0x11);
    EXPECT_EQ(b[398], 0x22);
    EXPECT_EQ(b[399], 0x33);
    EXPECT_EQ(b[1899], 0x44);
    EXPECT_EQ(text_at(b, 1900, 60), "first" + std::string(55, ' '));
    EXPECT_EQ(text_at(b, 1960, 60), std::string(60, ' '));
    EXPECT_EQ(text_at(b, 3100, 60), "last" + std::string(56, ' '));
    EXPECT_EQ(text_at(b, 3160, 8), "1.03    ");

    const Registro_Archivo back = Registro_Archivo::decode(b);
    EXPECT_EQ(back.encode(), b);
    EXPECT_EQ(back.date, 36526.5);
    EXPECT_TRUE(back.marker_ok());
}

TEST(RegistroArchivo, MarkerCheckTrimsBlanksOnly) {
    Registro_Archivo r;
    for (const char* good : {"NEVA2", "  NEVA2", "NEVA2   "}) {
        r.marker = good;
        EXPECT_TRUE(r.marker_ok()) << good;
    }
    r.marker = std::string(45, ' ') + "NEVA2";
    EXPECT_TRUE(r.marker_ok());
    for (const char* bad : {"", "NEVA", "neva2", "NEVA2X", "NEVA 2", "\tNEVA2", "NEVA1"}) {
        r.marker = bad;
        EXPECT_FALSE(r.marker_ok()) << bad;
    }
}

TEST(RegistroArchivo, OleAutomationDates) {
    EXPECT_EQ(to_ole_date({1899, 12, 30, 0, 0, 0}), 0.0);
    EXPECT_EQ(to_ole_date({1900, 1, 1, 0, 0, 0}), 2.0);
    EXPECT_EQ(to_ole_date({2000, 1, 1, 12, 0, 0}), 36526.5);
    EXPECT_EQ(to_ole_date({2000, 3, 1, 0, 0, 0}), 36586.0);  // across a leap day
    // Before the epoch the fraction still adds the time of day.
    EXPECT_EQ(to_ole_date({1899, 12, 29, 6, 0, 0}), -1.25);

    for (DateTime t : {DateTime{2026, 12, 6, 18, 30, 15}, DateTime{1899, 12, 29, 6, 0, 0},
                       DateTime{2024, 2, 29, 23, 59, 59}}) {
        const DateTime back = from_ole_date(to_ole_date(t));
        EXPECT_EQ(back.year, t.year);
        EXPECT_EQ(back.month, t.month);
        EXPECT_EQ(back.day, t.day);
        EXPECT_EQ(back.hour, t.hour);
        EXPECT_EQ(back.minute, t.minute);
        EXPECT_EQ(back.second, t.second);
    }
    // A garbage date from a foreign file does not crash.
    const DateTime junk = from_ole_date(1e300);
    EXPECT_EQ(junk.year, 1899);
}

}  // namespace
}  // namespace neva
