#pragma once
// A settings report an engineer can file: the setpoints of one source (a setpoint
// file, the working setpoints, the relay as read, a snapshot of the history), or
// the comparison of two, with a header that says where they came from. The body is
// grouped by page caption; every setpoint shows its label, its text exactly as the
// page shows it (the register map's own formatting), its raw value and register.
// The same report becomes CSV, HTML or PDF (ReportFile.h).

#include <string>
#include <utility>
#include <vector>

#include "compare/SetpointCompare.h"
#include "compare/SetpointSource.h"
#include "regmap/RegisterMap.h"

namespace neva::records {

struct ReportSection {
    std::string caption;  // the page's window caption
    std::vector<std::vector<std::string>> rows;  // one cell per column, the register ("0184") last
    std::vector<bool> highlighted;  // per row: the setpoint differs
};

struct SettingsReport {
    std::string title;
    std::vector<std::pair<std::string, std::string>> header;  // label, value
    std::vector<std::string> columns;
    std::vector<ReportSection> sections;
    std::string summary;  // "3 of 71 setpoints differ"; "" for a plain report
    std::string program;  // "NEVA Setup 2.0.2"
};

// "NEVA Setup 2.0.2".
std::string program_name();

// The header lines that describe a source, in the order of the report.
std::vector<std::pair<std::string, std::string>> source_fields(const SetpointSource& source);

SettingsReport settings_report(const RegisterMap& map, const SetpointSource& source);
// Rows of every setpoint (or only of those that differ), both texts side by side,
// differences highlighted.
SettingsReport comparison_report(const SetpointSource& a, const SetpointSource& b,
                                 const std::vector<SetpointComparison>& rows, bool only_differences);

// Comma-separated, fields quoted where needed, lines ended by CR LF, UTF-8 with a
// byte order mark: what spreadsheets read back as written.
std::string report_csv(const SettingsReport& report);
// A whole UTF-8 HTML document; blanks inside texts are kept as the pages show them.
std::string report_html(const SettingsReport& report);

std::string html_escape(const std::string& text);

}  // namespace neva::records
