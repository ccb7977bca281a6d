#include "text/EventRecord.h"

#include "text/Csv.h"
#include "text/JsonWriter.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>

namespace neva {

namespace {

std::string without_trailing_blanks(std::string s) {
    const auto last = s.find_last_not_of(' ');
    s.erase(last == std::string::npos ? 0 : last + 1);
    return s;
}

// The value of a text's leading number, blanks before it allowed; 0 if none.
int leading_number(const std::string& s) { return std::atoi(s.c_str()); }

std::string upper(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return s;
}

}  // namespace

std::vector<EventRow> event_rows(const std::vector<std::string>& texts) {
    std::vector<EventRow> rows;
    if (texts.empty() || texts[0].find(',') == std::string::npos) return rows;
    const int newest = leading_number(texts[0].substr(0, texts[0].find(',')));
    const int count = std::min({newest, 20, static_cast<int>(texts.size())});
    for (int i = 0; i < count; ++i) {
        const std::string& t = texts[i];
        const auto c1 = t.find(',');
        if (c1 == std::string::npos) continue;
        const auto c2 = t.find(',', c1 + 1);
        EventRow row;
        row.number = leading_number(t.substr(0, c1));
        row.description = without_trailing_blanks(t.substr(c1 + 1, c2 == std::string::npos ? std::string::npos : c2 - c1 - 1));
        row.date_time = c2 == std::string::npos ? std::string() : without_trailing_blanks(t.substr(c2 + 1));
        // The relay's texts carry blanks around them; " NO EVENT " is no event either.
        const auto first = row.description.find_first_not_of(' ');
        if (first == std::string::npos || upper(row.description.substr(first)) == "NO EVENT") break;
        rows.push_back(row);
    }
    return rows;
}

std::string iso_from_event_time(const std::string& date_time) {
    int y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0;
    char ampm[3] = {};
    int used = 0;
    if (std::sscanf(date_time.c_str(), "%4d-%2d-%2d %2d:%2d:%2d %2[AMP]%n", &y, &mo, &d, &h, &mi, &s, ampm, &used) != 7 ||
        used != static_cast<int>(date_time.size()))
        return {};
    const std::string m = ampm;
    if ((m != "AM" && m != "PM") || h < 1 || h > 12) return {};
    h = h % 12 + (m == "PM" ? 12 : 0);
    char buf[40];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02dT%02d:%02d:%02d", y, mo, d, h, mi, s);
    return buf;
}

void write_events_json(std::ostream& out, int newest, const std::vector<EventRow>& rows) {
    JsonWriter j(out);
    j.begin_object();
    j.key("newest");
    j.value(newest);
    j.key("events");
    j.begin_array();
    for (const auto& r : rows) {
        j.begin_object();
        j.key("number");
        j.value(r.number);
        j.key("description");
        j.value(r.description);
        j.key("date_time");
        j.value(r.date_time);
        j.key("timestamp");
        const std::string iso = iso_from_event_time(r.date_time);
        if (iso.empty()) j.null();
        else j.value(iso);
        j.end_object();
    }
    j.end_array();
    j.end_object();
    j.finish();
}

std::string events_csv(const std::vector<EventRow>& rows) {
    std::string out = csv_line({"Number", "Event", "Date and Time", "Timestamp"});
    for (const auto& r : rows)
        out += csv_line({std::to_string(r.number), r.description, r.date_time, iso_from_event_time(r.date_time)});
    return out;
}

}  // namespace neva
