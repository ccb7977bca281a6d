#include "ValueExport.h"

#include <sstream>

#include "text/Csv.h"
#include "text/JsonWriter.h"

namespace neva::records {

std::string values_csv(const std::string& page, const std::string& time, const std::vector<ValueRow>& rows) {
    std::string out = std::string(kUtf8Bom) + csv_line({"Time", "Page", "Label", "Value", "Unit", "Amperes"});
    for (const auto& r : rows) out += csv_line({time, page, r.label, r.value, r.unit, r.amperes.value_or("")});
    return out;
}

std::string values_json(const std::string& page, const std::string& time, const std::vector<ValueRow>& rows) {
    std::ostringstream out;
    JsonWriter j(out);
    j.begin_object();
    j.key("page");
    j.value(page);
    j.key("time");
    j.value(time);
    j.key("values");
    j.begin_array();
    for (const auto& r : rows) {
        j.begin_object();
        j.key("label");
        j.value(r.label);
        j.key("value");
        j.value(r.value);
        j.key("unit");
        j.value(r.unit);
        j.key("amperes");
        if (r.amperes && !r.amperes->empty()) j.number_text(*r.amperes);
        else j.null();
        j.end_object();
    }
    j.end_array();
    j.end_object();
    j.finish();
    return out.str();
}

}  // namespace neva::records
