#pragma once
// The event record rows are the program's own (text/EventRecord.h): the event page's
// export and the tool list the same rows.

#include "text/EventRecord.h"

namespace neva::cli {
using neva::event_rows;
using neva::EventRow;
using neva::iso_from_event_time;
}  // namespace neva::cli
