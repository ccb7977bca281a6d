#pragma once
// File > Export Report...: a settings report of the working setpoints, of the relay
// read now, or of a setpoint file, as PDF, HTML or CSV. Also the pieces the compare
// and history windows share with it: the file choice, the format list and the save
// step, and their list of rows.

#include <QDialog>
#include <functional>
#include <optional>
#include <string>

#include "ReportFile.h"
#include "SettingsReport.h"

class QComboBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QTreeWidget;

namespace neva {

class AppContext;
class MessageService;
class RelayRead;

// A setpoint file chosen in the open dialog and loaded; nothing when cancelled or
// unreadable (the user has been told).
std::optional<SetpointSource> choose_setpoint_file(MessageService& messages);
// A flat list of whole rows under the given column heads, each column as wide as its texts.
QTreeWidget* make_record_list(QWidget* parent, const QStringList& heads, const QSize& minimum);
// A list of the three formats, PDF first.
QComboBox* make_format_box(QWidget* parent);
records::ReportFormat chosen_format(const QComboBox* box);

// Asks where to save (the format's filter; the extension is added when the name
// has none) and writes the report. A failure is reported in a message box. True
// when the report was written.
bool save_report_as(MessageService& messages, const records::SettingsReport& report, records::ReportFormat format);
// The export of a page's values: the save dialog offers CSV and JSON, and the name
// chosen decides which (CSV for a name without an extension); `content` writes the
// text for that name's format (true: JSON).
bool save_values_as(MessageService& messages, const std::function<std::string(bool json)>& content);

class ExportReport : public QDialog {
    Q_OBJECT
public:
    ExportReport(AppContext& ctx, QWidget* parent);
    ~ExportReport() override;

    // Builds the report of the chosen source and asks where to save it. The relay is
    // read first (the dialog waits, disabled, meanwhile).
    void export_report();
    bool busy() const;

    QRadioButton* Working = nullptr;
    QRadioButton* Relay = nullptr;
    QRadioButton* File = nullptr;
    QComboBox* Format = nullptr;
    QLabel* Status = nullptr;
    QPushButton* Export = nullptr;

protected:
    void showEvent(QShowEvent* e) override;

private:
    void finish(const SetpointSource& source);

    AppContext& ctx_;
    RelayRead* read_ = nullptr;
};

}  // namespace neva
