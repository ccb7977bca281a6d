#pragma once
// The exports of the actual value pages (metering, maintenance data, last trip):
// the values as the page shows them, with the time they were taken, as CSV and as
// JSON. Currents also carry the decoded number of amperes.

#include <optional>
#include <string>
#include <vector>

namespace neva::records {

struct ValueRow {
    std::string label;  // "Phase A Current:"
    std::string value;  // as the page shows it ("1.50")
    std::string unit;   // "KA"; "" for a text
    std::optional<std::string> amperes;  // a current's decoded value, a JSON number text
};

// Header "Time,Page,Label,Value,Unit,Amperes"; UTF-8 with its byte order mark.
std::string values_csv(const std::string& page, const std::string& time, const std::vector<ValueRow>& rows);
// {"page", "time", "values": [{"label", "value", "unit", "amperes": number or null}]}
std::string values_json(const std::string& page, const std::string& time, const std::vector<ValueRow>& rows);

}  // namespace neva::records
