#pragma once
// Writes a settings report to a file as PDF, HTML or CSV. The file is written
// beside its name and put in place only when complete: a failed export never
// destroys a report that was there. PDF needs a QGuiApplication (fonts).

#include <optional>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "SettingsReport.h"

namespace neva::records {

enum class ReportFormat { Pdf, Html, Csv };

// "pdf", "html", "csv" (any letter case); nullopt for anything else.
std::optional<ReportFormat> report_format(std::string_view name);
// From a file name's extension (.pdf, .html, .htm, .csv).
std::optional<ReportFormat> report_format_of_path(std::string_view path);
std::string format_extension(ReportFormat f);  // "pdf"
// A save dialog filter for the format: "PDF Files (*.pdf)|*.pdf|".
std::string format_filter(ReportFormat f);

// False with the reason in `error` when the file could not be written.
bool write_report(const SettingsReport& report, ReportFormat format, const std::string& path, std::string& error);
// Any text (CSV, JSON) to a file the same safe way.
bool write_text_file(const std::string& text, const std::string& path, std::string& error);
bool write_bytes_file(std::span<const std::uint8_t> bytes, const std::string& path, std::string& error);

}  // namespace neva::records
