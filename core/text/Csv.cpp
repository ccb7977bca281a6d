#include "text/Csv.h"

#include <cctype>

#include "text/JsonWriter.h"

namespace neva {

std::string csv_field(const std::string& text) {
    std::string t = utf8_text(text);
    const bool formula = !t.empty() && (t[0] == '=' || t[0] == '+' || t[0] == '@' ||
                                        (t[0] == '-' && (t.size() == 1 || !std::isdigit(static_cast<unsigned char>(t[1])))));
    if (formula) t.insert(t.begin(), '\'');
    const bool quote = t.find_first_of(",\"\r\n") != std::string::npos || (!t.empty() && (t.front() == ' ' || t.back() == ' '));
    if (!quote) return t;
    std::string out = "\"";
    for (char c : t) {
        if (c == '"') out += '"';
        out += c;
    }
    return out + '"';
}

std::string csv_line(const std::vector<std::string>& fields) {
    std::string line;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i > 0) line += ',';
        line += csv_field(fields[i]);
    }
    return line + "\r\n";
}

}  // namespace neva
