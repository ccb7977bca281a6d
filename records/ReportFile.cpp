#include "ReportFile.h"

#include <QAbstractTextDocumentLayout>
#include <QFont>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QBuffer>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>
#include <cctype>

#include "files/SafeSave.h"

namespace neva::records {

namespace {

QString q(const std::string& s) { return QString::fromStdString(s); }

std::string lower(std::string_view s) {
    std::string out(s);
    std::transform(out.begin(), out.end(), out.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    return out;
}

// The report laid out on A4 pages, the program's name and "Page i of n" under each.
bool write_pdf(const SettingsReport& report, QIODevice& file) {
    QPdfWriter pdf(&file);
    pdf.setTitle(q(report.title));
    pdf.setCreator(q(report.program));
    pdf.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(15, 15, 15, 15),
                                  QPageLayout::Millimeter));
    pdf.setResolution(300);

    QPainter painter;
    if (!painter.begin(&pdf)) return false;
    const QRect page = pdf.pageLayout().paintRectPixels(pdf.resolution());
    const QRect area(0, 0, page.width(), page.height());
    const int footer = pdf.resolution() / 3;  // a third of an inch under the body
    const QRectF body(0, 0, area.width(), area.height() - footer);

    QTextDocument doc;
    QFont font(QStringLiteral("Sans Serif"));
    font.setPointSizeF(9);
    doc.setDefaultFont(font);
    // Lay the document out in points and scale the painter: the rich text engine
    // measures in the paint device's units.
    const double scale = pdf.resolution() / 72.0;
    doc.setPageSize(QSizeF(body.width() / scale, body.height() / scale));
    doc.setHtml(q(report_html(report)));
    // No ligatures: text copied out of a report must be the setpoint's text letter
    // for letter ("Configuration", not a joined "fi").
    QTextCharFormat plain;
    plain.setFontStyleStrategy(QFont::PreferNoShaping);
    QTextCursor all(&doc);
    all.select(QTextCursor::Document);
    all.mergeCharFormat(plain);
    const int pages = std::max(1, doc.pageCount());

    QFont small = font;
    small.setPointSizeF(7.5);
    for (int p = 0; p < pages; ++p) {
        if (p > 0) pdf.newPage();
        painter.save();
        painter.scale(scale, scale);
        const QRectF clip(0, p * doc.pageSize().height(), doc.pageSize().width(), doc.pageSize().height());
        painter.translate(0, -clip.top());
        QAbstractTextDocumentLayout::PaintContext ctx;
        ctx.clip = clip;
        doc.documentLayout()->draw(&painter, ctx);
        painter.restore();

        painter.setFont(small);
        const QRect foot(0, area.height() - footer, area.width(), footer);
        painter.drawText(foot, Qt::AlignLeft | Qt::AlignBottom, q(report.program));
        painter.drawText(foot, Qt::AlignRight | Qt::AlignBottom, QStringLiteral("Page %1 of %2").arg(p + 1).arg(pages));
    }
    return painter.end();
}

}  // namespace

std::optional<ReportFormat> report_format(std::string_view name) {
    const std::string n = lower(name);
    if (n == "pdf") return ReportFormat::Pdf;
    if (n == "html" || n == "htm") return ReportFormat::Html;
    if (n == "csv") return ReportFormat::Csv;
    return std::nullopt;
}

std::optional<ReportFormat> report_format_of_path(std::string_view path) {
    const auto dot = path.find_last_of('.');
    const auto slash = path.find_last_of("/\\");
    if (dot == std::string_view::npos || (slash != std::string_view::npos && dot < slash)) return std::nullopt;
    return report_format(path.substr(dot + 1));
}

std::string format_extension(ReportFormat f) {
    switch (f) {
        case ReportFormat::Pdf: return "pdf";
        case ReportFormat::Html: return "html";
        case ReportFormat::Csv: return "csv";
    }
    return {};
}

std::string format_filter(ReportFormat f) {
    switch (f) {
        case ReportFormat::Pdf: return "PDF Files (*.pdf)|*.pdf|";
        case ReportFormat::Html: return "HTML Files (*.html)|*.html|";
        case ReportFormat::Csv: return "CSV Files (*.csv)|*.csv|";
    }
    return {};
}

bool write_bytes_file(std::span<const std::uint8_t> bytes, const std::string& path, std::string& error) {
    // The same safe save as the setpoint files: a read-only file, a folder or a device
    // at the path is refused, never replaced, and a failed save keeps the old file.
    const SaveOutcome saved = save_file_safely(path, bytes);
    if (!saved.ok) error = "could not write " + path + ": " + saved.reason;
    return saved.ok;
}

bool write_text_file(const std::string& text, const std::string& path, std::string& error) {
    return write_bytes_file({reinterpret_cast<const std::uint8_t*>(text.data()), text.size()}, path, error);
}

bool write_report(const SettingsReport& report, ReportFormat format, const std::string& path, std::string& error) {
    switch (format) {
        case ReportFormat::Csv: return write_text_file(report_csv(report), path, error);
        case ReportFormat::Html: return write_text_file(report_html(report), path, error);
        case ReportFormat::Pdf: break;
    }
    QBuffer pdf;
    pdf.open(QIODevice::WriteOnly);
    if (!write_pdf(report, pdf)) {
        error = "could not lay out the PDF report for " + path;
        return false;
    }
    const QByteArray& bytes = pdf.data();
    return write_bytes_file({reinterpret_cast<const std::uint8_t*>(bytes.constData()), std::size_t(bytes.size())}, path,
                            error);
}

}  // namespace neva::records
