#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "files/Registro_Archivo.h"

namespace neva {
namespace {

TEST(RegistroArchivo, MarkerCheckTrimsBlanksOnly) {
    Registro_Archivo r;
    r.marker = std::string(45, ' ') + "NEVA2";
    EXPECT_TRUE(r.marker_ok());
    for (const char* bad : {"", "neva2", "NEVA2X", "\tNEVA2", "NEVA1"}) {
        r.marker = bad;
        EXPECT_FALSE(r.marker_ok()) << bad;
    }
}

TEST(RegistroArchivo, OleAutomationDates) {
    EXPECT_EQ(to_ole_date({2000, 3, 1, 0, 0, 0}), 36586.0);  // across a leap day
    // Before the epoch the fraction still adds the time of day.
    EXPECT_EQ(to_ole_date({1899, 12, 29, 6, 0, 0}), -1.25);
    for (DateTime t : {DateTime{1899, 12, 29, 6, 0, 0}, DateTime{2024, 2, 29, 23, 59, 59}}) {
        const DateTime b = from_ole_date(to_ole_date(t));
        EXPECT_EQ(std::vector<int>({b.year, b.month, b.day, b.hour, b.minute, b.second}),
                  std::vector<int>({t.year, t.month, t.day, t.hour, t.minute, t.second}));
    }
    // A garbage date from a foreign file does not crash.
    const DateTime junk = from_ole_date(1e300);
    EXPECT_EQ(junk.year, 1899);
}

}  // namespace
}  // namespace neva
