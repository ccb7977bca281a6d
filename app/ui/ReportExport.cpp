#include "ui/ReportExport.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QShowEvent>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <cctype>

#include "compare/SetpointSource.h"
#include "files/Manejo_de_Archivos.h"
#include "ui/AppContext.h"
#include "ui/RelayRead.h"

namespace neva {

namespace {

constexpr const char* kNeedsRelay =
    "The relay can be read only while communicating. Connect first (Setup > Communication), then export again.";
constexpr const char* kReadFailed = "The relay's setpoints could not be read. No report was written.";

bool has_extension(const std::string& path) {
    const auto dot = path.find_last_of('.');
    return dot != std::string::npos && path.find_first_of("/\\", dot) == std::string::npos;
}

std::optional<std::string> ask_path(MessageService& messages, const std::string& filter, const std::string& ext) {
    FileDialogSetup setup;
    setup.initial_name = "*." + ext;
    setup.filter = filter + "All Files (*.*)|*.*|";
    setup.overwrite_prompt = true;
    setup.hide_read_only = true;
    auto path = messages.save_file_name(setup);
    if (path && !has_extension(*path)) *path += "." + ext;
    return path;
}

void report_failure(MessageService& messages, const std::string& error) {
    messages.message_box("The export failed: " + error + ". Any file already there is unchanged.", MsgButtons::Ok,
                         MsgIcon::Critical, "NEVA");
}

}  // namespace

std::optional<SetpointSource> choose_setpoint_file(MessageService& messages) {
    const auto path = messages.open_file_name(Manejo_de_Archivos::open_dialog_setup());
    if (!path) return std::nullopt;
    const auto rec = load_setpoint_file(*path, messages);
    if (!rec) return std::nullopt;
    return file_source(*path, *rec);
}

QTreeWidget* make_record_list(QWidget* parent, const QStringList& heads, const QSize& minimum) {
    auto* list = new QTreeWidget(parent);
    list->setObjectName("List");
    list->setRootIsDecorated(false);
    list->setUniformRowHeights(true);
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    list->setHeaderLabels(heads);
    list->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    list->setMinimumSize(minimum);
    return list;
}

QComboBox* make_format_box(QWidget* parent) {
    auto* box = new QComboBox(parent);
    box->addItem(QStringLiteral("PDF"), int(records::ReportFormat::Pdf));
    box->addItem(QStringLiteral("HTML"), int(records::ReportFormat::Html));
    box->addItem(QStringLiteral("CSV"), int(records::ReportFormat::Csv));
    return box;
}

records::ReportFormat chosen_format(const QComboBox* box) {
    return static_cast<records::ReportFormat>(box->currentData().toInt());
}

bool save_report_as(MessageService& messages, const records::SettingsReport& report, records::ReportFormat format) {
    const std::string ext = records::format_extension(format);
    const auto path = ask_path(messages, records::format_filter(format), ext);
    if (!path) return false;
    // A name typed with a report's extension says which report is wanted: a PDF is
    // never written under the name "x.csv".
    const records::ReportFormat written = records::report_format_of_path(*path).value_or(format);
    std::string error;
    if (records::write_report(report, written, *path, error)) return true;
    report_failure(messages, error);
    return false;
}

bool save_values_as(MessageService& messages, const std::function<std::string(bool json)>& content) {
    const auto path = ask_path(messages, "CSV Files (*.csv)|*.csv|JSON Files (*.json)|*.json|", "csv");
    if (!path) return false;
    const auto dot = path->find_last_of('.');
    std::string ext = path->substr(dot + 1);
    for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    std::string error;
    if (records::write_text_file(content(ext == "json"), *path, error)) return true;
    report_failure(messages, error);
    return false;
}

ExportReport::ExportReport(AppContext& ctx, QWidget* parent) : QDialog(parent), ctx_(ctx) {
    setObjectName("ExportReport");
    setWindowTitle(QStringLiteral("Export Report"));
    auto* root = new QVBoxLayout(this);
    auto* frame = new QGroupBox(QStringLiteral("Setpoints"), this);
    auto* col = new QVBoxLayout(frame);
    Working = new QRadioButton(QStringLiteral("&Working setpoints"), frame);
    Relay = new QRadioButton(QStringLiteral("The &relay, read now"), frame);
    File = new QRadioButton(QStringLiteral("A setpoint &file..."), frame);
    Working->setChecked(true);
    for (auto* b : {Working, Relay, File}) col->addWidget(b);
    root->addWidget(frame);
    auto* row = new QHBoxLayout();
    row->addWidget(new QLabel(QStringLiteral("Format:"), this));
    Format = make_format_box(this);
    row->addWidget(Format, 1);
    root->addLayout(row);
    Status = new QLabel(this);
    root->addWidget(Status);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Cancel, this);
    Export = buttons->addButton(QStringLiteral("&Export..."), QDialogButtonBox::AcceptRole);
    Export->setDefault(true);
    root->addWidget(buttons);
    connect(Export, &QPushButton::clicked, this, [this] { export_report(); });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    read_ = new RelayRead(ctx_, this);
}

ExportReport::~ExportReport() = default;

bool ExportReport::busy() const { return read_->running(); }

void ExportReport::showEvent(QShowEvent* e) {
    // The relay can be offered only while the program talks to it.
    Relay->setEnabled(ctx_.state().En_Linea);
    if (!Relay->isEnabled() && Relay->isChecked()) Working->setChecked(true);
    Status->clear();
    QDialog::showEvent(e);
}

void ExportReport::export_report() {
    MessageService& messages = ctx_.messages();
    if (Working->isChecked()) return finish(working_source(ctx_.state(), ctx_.images()));
    if (File->isChecked()) {
        if (const auto file = choose_setpoint_file(messages)) finish(*file);
        return;
    }
    if (!ctx_.state().En_Linea) {
        messages.message_box(kNeedsRelay, MsgButtons::Ok, MsgIcon::Information, "NEVA");
        return;
    }
    setEnabled(false);
    Status->setText(QStringLiteral("Reading the relay..."));
    read_->start([this](const std::optional<SetpointSource>& relay) {
        setEnabled(true);
        Status->clear();
        if (!relay) {
            ctx_.messages().message_box(kReadFailed, MsgButtons::Ok, MsgIcon::Critical, "NEVA");
            return;
        }
        finish(*relay);
    });
}

void ExportReport::finish(const SetpointSource& source) {
    const auto report = records::settings_report(shipped_register_map(), source);
    if (save_report_as(ctx_.messages(), report, chosen_format(Format))) accept();
}

}  // namespace neva
