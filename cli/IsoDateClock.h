#pragma once
// The clock of the command-line tool: the system's time, but relay time stamps
// written with ISO dates (2003-03-05) instead of the desktop's locale short date,
// so that what a script reads does not change with the machine it runs on.

#include "platform/Clock.h"

namespace neva::cli {

class IsoDateClock : public SystemClock {
public:
    std::string short_date(int day, int month, int year) const override;
};

}  // namespace neva::cli
