#include "connection/FindRelayDialog.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace neva {

namespace {

QString duration_text(std::int64_t ms) {
    const std::int64_t s = (ms + 999) / 1000;
    if (s < 60) return QStringLiteral("%1 s").arg(s);
    return QStringLiteral("%1 min %2 s").arg(s / 60).arg(s % 60);
}

}  // namespace

FindRelayDialog::FindRelayDialog(std::unique_ptr<SerialPort> port, TimerFactory& timers, const QString& port_text,
                                 QWidget* parent)
    : QDialog(parent), port_(std::move(port)), port_text_(port_text) {
    setObjectName("FindRelayDialog");
    setWindowTitle(QStringLiteral("Find Relay"));
    scanner_ = std::make_unique<RelayScanner>(*port_, timers);
    scanner_->on_try = [this](int speed, int address) { show_try(speed, address); };
    scanner_->on_found = [this](const FoundRelay& f) { add_found(f); };
    scanner_->on_finished = [this](ScanEnd end) { finished(end); };

    auto* choices = new QGridLayout;
    choices->addWidget(new QLabel(QStringLiteral("Port: %1").arg(port_text_), this), 0, 0, 1, 4);
    Speeds = new QComboBox(this);
    Speeds->addItem(QStringLiteral("All speeds"), 0);
    for (int s : RelayScanner::default_speeds()) Speeds->addItem(QString::number(s), s);
    FirstAddress = new QSpinBox(this);
    LastAddress = new QSpinBox(this);
    FirstAddress->setRange(1, 247);
    LastAddress->setRange(1, 247);
    FirstAddress->setValue(1);
    LastAddress->setValue(247);
    auto* speeds_label = new QLabel(QStringLiteral("S&peeds:"), this);
    speeds_label->setBuddy(Speeds);
    auto* from_label = new QLabel(QStringLiteral("&Addresses from"), this);
    from_label->setBuddy(FirstAddress);
    choices->addWidget(speeds_label, 1, 0);
    choices->addWidget(Speeds, 1, 1, 1, 3);
    choices->addWidget(from_label, 2, 0);
    choices->addWidget(FirstAddress, 2, 1);
    choices->addWidget(new QLabel(QStringLiteral("to"), this), 2, 2);
    choices->addWidget(LastAddress, 2, 3);
    Estimate = new QLabel(this);
    Estimate->setObjectName("Estimate");

    Progress = new QProgressBar(this);
    Status = new QLabel(QStringLiteral("Press Start to search the line."), this);
    Status->setObjectName("Status");
    Found = new QTreeWidget(this);
    Found->setRootIsDecorated(false);
    Found->setHeaderLabels({QStringLiteral("Address"), QStringLiteral("Baud Rate"), QStringLiteral("Identification"),
                            QStringLiteral("Firmware"), QStringLiteral("Supported")});
    Found->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    Found->setMinimumHeight(140);

    Start = new QPushButton(QStringLiteral("&Start"), this);
    Use = new QPushButton(QStringLiteral("&Use This Relay"), this);
    Cancel = new QPushButton(QStringLiteral("Cancel"), this);
    Use->setEnabled(false);
    Start->setDefault(true);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(Start);
    buttons->addStretch(1);
    buttons->addWidget(Use);
    buttons->addWidget(Cancel);

    auto* all = new QVBoxLayout(this);
    all->addLayout(choices);
    all->addWidget(Estimate);
    all->addWidget(Progress);
    all->addWidget(Status);
    all->addWidget(Found, 1);
    all->addLayout(buttons);
    resize(520, 400);

    connect(Start, &QPushButton::clicked, this, &FindRelayDialog::Start_Click);
    connect(Use, &QPushButton::clicked, this, &FindRelayDialog::Use_Click);
    connect(Cancel, &QPushButton::clicked, this, &FindRelayDialog::Cancel_Click);
    connect(Found, &QTreeWidget::itemSelectionChanged, this,
            [this] { Use->setEnabled(!Found->selectedItems().isEmpty()); });
    connect(Found, &QTreeWidget::itemDoubleClicked, this, [this] { Use_Click(); });
    connect(Speeds, &QComboBox::currentIndexChanged, this, [this] { show_estimate(); });
    connect(FirstAddress, &QSpinBox::valueChanged, this, [this] { show_estimate(); });
    connect(LastAddress, &QSpinBox::valueChanged, this, [this] { show_estimate(); });
    show_estimate();
}

FindRelayDialog::~FindRelayDialog() {
    scanner_->on_try = nullptr;
    scanner_->on_found = nullptr;
    scanner_->on_finished = nullptr;
    scanner_.reset();
}

ScanPlan FindRelayDialog::plan() const {
    ScanPlan p;
    const int speed = Speeds->currentData().toInt();
    p.speeds = speed == 0 ? RelayScanner::default_speeds() : std::vector<int>{speed};
    p.first_address = FirstAddress->value();
    p.last_address = LastAddress->value();
    return p;
}

void FindRelayDialog::show_estimate() {
    const ScanPlan p = plan();
    if (p.tries() == 0) {
        Estimate->setText(QStringLiteral("The first address must not be above the last."));
        Start->setEnabled(false);
        return;
    }
    Start->setEnabled(!scanner_->running());
    Estimate->setText(QStringLiteral("%1 tries; the search takes at most %2.")
                          .arg(p.tries())
                          .arg(duration_text(RelayScanner::estimate_ms(p))));
}

void FindRelayDialog::set_running(bool running) {
    Start->setEnabled(!running && plan().tries() > 0);
    Speeds->setEnabled(!running);
    FirstAddress->setEnabled(!running);
    LastAddress->setEnabled(!running);
    Use->setEnabled(!Found->selectedItems().isEmpty());
    Cancel->setText(running ? QStringLiteral("&Stop") : QStringLiteral("Cancel"));
}

void FindRelayDialog::Start_Click() {
    const ScanPlan p = plan();
    Found->clear();
    Progress->setRange(0, p.tries());
    Progress->setValue(0);
    set_running(true);
    if (!scanner_->start(p)) set_running(false);
}

void FindRelayDialog::show_try(int speed, int address) {
    Progress->setValue(scanner_->tries_done());
    const int n = static_cast<int>(scanner_->found().size());
    Status->setText(QStringLiteral("Trying %1 baud, address %2. Found so far: %3.").arg(speed).arg(address).arg(n));
}

void FindRelayDialog::add_found(const FoundRelay& f) {
    auto* item = new QTreeWidgetItem(Found);
    item->setText(0, QString::number(f.address));
    item->setText(1, QString::number(f.speed));
    item->setText(2, QStringLiteral("%1, %2, %3").arg(f.words[0]).arg(f.words[1]).arg(f.words[2]));
    item->setText(3, QString::fromStdString(f.version));
    item->setText(4, f.supported ? QStringLiteral("Yes") : QStringLiteral("No"));
    item->setData(0, Qt::UserRole, static_cast<int>(scanner_->found().size()) - 1);
    if (Found->topLevelItemCount() == 1) Found->setCurrentItem(item);
}

void FindRelayDialog::finished(ScanEnd end) {
    Progress->setValue(scanner_->tries_done());
    const int n = static_cast<int>(scanner_->found().size());
    switch (end) {
        case ScanEnd::Completed:
            Status->setText(n == 0 ? QStringLiteral("No relay answered. Check the cable, the port and the wiring.")
                                   : QStringLiteral("Search complete: %1 found. Choose one and press Use This Relay.")
                                         .arg(n));
            break;
        case ScanEnd::Cancelled: Status->setText(QStringLiteral("Search stopped. Found: %1.").arg(n)); break;
        case ScanEnd::PortFailed:
            Status->setText(QStringLiteral("%1 could not be opened: it may be in use, or missing.").arg(port_text_));
            break;
        case ScanEnd::PortLost: Status->setText(QStringLiteral("%1 went away during the search.").arg(port_text_)); break;
    }
    set_running(false);
}

void FindRelayDialog::Use_Click() {
    const auto items = Found->selectedItems();
    if (items.isEmpty()) return;
    // The relay sought has turned up: the rest of the search is not needed.
    scanner_->cancel();
    const int k = items.front()->data(0, Qt::UserRole).toInt();
    if (k < 0 || k >= static_cast<int>(scanner_->found().size())) return;
    const FoundRelay chosen = scanner_->found()[k];
    if (on_choose) on_choose(chosen);
    accept();
}

void FindRelayDialog::Cancel_Click() {
    // While searching, Cancel stops the search and keeps what was found; otherwise it
    // closes the window.
    if (scanner_->running()) {
        scanner_->cancel();
        return;
    }
    QDialog::reject();
}

void FindRelayDialog::reject() {
    // Esc and the window's close button: stop first, then close.
    scanner_->cancel();
    QDialog::reject();
}

}  // namespace neva
