// The clock's short dates carry the two-digit year the relay's time stamps hold,
// in the system locale's order, and still say something for a stamp that is no
// calendar date.

#include <QDate>
#include <QLocale>

#include <gtest/gtest.h>

#include "adapters/QtClock.h"

namespace neva {
namespace {

TEST(QtClockTest, ShortDatesUseTwoDigitYearsAndSurviveImpossibleDates) {
    QtClock clock;
    const QString pattern = QtClock::short_date_pattern();
    EXPECT_FALSE(pattern.contains(QLatin1String("yyyy")));
    EXPECT_TRUE(pattern.contains(QLatin1String("yy")));
    EXPECT_FALSE(pattern.contains(QLatin1String("MMM")));  // numbers only

    const std::string d = clock.short_date(5, 3, 2003);
    EXPECT_EQ(d, QLocale::system().toString(QDate(2003, 3, 5), pattern).toStdString());
    EXPECT_EQ(clock.short_date(5, 3, 1903), d);  // only the year in the century counts

    // 31 February and month 14 come from a garbled stamp: written by number.
    const std::string bad = clock.short_date(31, 2, 2007);
    EXPECT_NE(bad.find("31"), std::string::npos) << bad;
    EXPECT_NE(bad.find("07"), std::string::npos) << bad;
    EXPECT_NE(clock.short_date(3, 14, 2007).find("14"), std::string::npos);
}

}  // namespace
}  // namespace neva
