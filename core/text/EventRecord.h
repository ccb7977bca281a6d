#pragma once
// The relay's event record as the event page lists it, from the texts the link
// decodes (" 25, Phase Timed OverCurrent ,2003-03-05 10:20:30 AM"), without Qt.

#include <ostream>
#include <string>
#include <vector>

namespace neva {

struct EventRow {
    int number = 0;
    std::string description;  // trailing blanks removed, as the page shows it
    std::string date_time;    // "2003-03-05 10:20:30 AM"
};

// texts[0] is the newest event (the link's position 64), texts[1] the next. The
// page's rule: as many rows as the newest event's number says (at most 20); a text
// without a comma is skipped; the list ends at the first event without a
// description or reading "NO EVENT".
std::vector<EventRow> event_rows(const std::vector<std::string>& texts);

// "2003-03-05T22:20:30" from "2003-03-05 10:20:30 PM"; "" when the text is not a
// whole date and time.
std::string iso_from_event_time(const std::string& date_time);

// The event record as JSON: {"newest", "events": [{"number", "description",
// "date_time", "timestamp": ISO 8601 or null}]}, the same for `neva-cli events
// --json` and the export of the event page.
void write_events_json(std::ostream& out, int newest, const std::vector<EventRow>& rows);
// The same as CSV lines (header "Number,Event,Date and Time,Timestamp"), CR LF ended.
std::string events_csv(const std::vector<EventRow>& rows);

}  // namespace neva
