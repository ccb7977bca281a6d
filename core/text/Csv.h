#pragma once
// CSV as spreadsheets read it back: comma-separated, a field quoted when it holds
// a comma, a quote, a line end or blanks at either end (quotes doubled), lines
// ended by CR LF, texts as UTF-8. A text a spreadsheet would run as a formula
// ("=...", "+...", "@...") is kept as text by a leading apostrophe: relay names
// and observations are typed by people.

#include <string>
#include <vector>

namespace neva {

// The byte order mark that tells spreadsheets the file is UTF-8.
inline constexpr const char* kUtf8Bom = "\xEF\xBB\xBF";

std::string csv_field(const std::string& text);
std::string csv_line(const std::vector<std::string>& fields);

}  // namespace neva
