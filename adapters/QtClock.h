#pragma once
// The time of day and the computer's short date format, from Qt.

#include <QElapsedTimer>

#include "platform/Clock.h"

namespace neva {

class QtClock : public Clock {
public:
    QtClock();
    DateTime now() const override;
    std::int64_t monotonic_ms() const override;
    // The system locale's short date, always with a two-digit year as the relay's
    // time stamps carry only the year within the century. A day or month the
    // calendar does not have (a relay's garbled stamp) is still written, by number.
    std::string short_date(int day, int month, int year) const override;

    // The pattern used, e.g. "dd.MM.yy" or "M/d/yy"; "dd/MM/yy" where the locale
    // writes month or day names.
    static QString short_date_pattern();

private:
    QElapsedTimer elapsed_;
};

}  // namespace neva
