#include "ui/HistoryWindow.h"

#include <QComboBox>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QKeySequence>
#include <QLabel>
#include <QPushButton>
#include <QShortcut>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <set>

#include "HistoryDatabase.h"
#include "HistoryRecording.h"
#include "ui/AppContext.h"
#include "ui/Principal.h"
#include "ui/ReportExport.h"

namespace neva {

namespace {

QString q(const std::string& s) { return QString::fromStdString(s); }

// How the relay filter names a relay: its name, or its address on its port.
QString relay_of(const Snapshot& s) {
    if (!s.relay_name.empty()) return q(s.relay_name);
    return QStringLiteral("(no name) address %1 on %2").arg(s.address).arg(q(s.port));
}

}  // namespace

HistoryWindow::HistoryWindow(Principal& principal,
                             std::function<void(const SetpointSource&, const std::optional<SetpointSource>&)> compare)
    : QWidget(&principal, Qt::Window),
      principal_(principal),
      ctx_(principal.contexto()),
      compare_(std::move(compare)) {
    setObjectName("HistoryWindow");
    setWindowTitle(QStringLiteral("Settings History"));
    // The program's own database when it records one, else the user's.
    const std::string path =
        ctx_.history() ? ctx_.history()->database().path() : records::HistoryDatabase::default_path();
    db_ = std::make_unique<records::HistoryDatabase>(path);

    auto* root = new QVBoxLayout(this);
    auto* top = new QHBoxLayout();
    auto* relay_label = new QLabel(QStringLiteral("&Relay:"), this);
    top->addWidget(relay_label);
    Relays = new QComboBox(this);
    Relays->setObjectName("Relays");
    relay_label->setBuddy(Relays);
    top->addWidget(Relays, 1);
    root->addLayout(top);
    connect(Relays, &QComboBox::currentIndexChanged, this, [this] { fill(); });

    List = make_record_list(this,
                            {QStringLiteral("No."), QStringLiteral("Time"), QStringLiteral("Kind"),
                             QStringLiteral("Relay"), QStringLiteral("Port"), QStringLiteral("Address"),
                             QStringLiteral("Firmware"), QStringLiteral("User")},
                            QSize(720, 320));
    List->setSelectionMode(QAbstractItemView::ExtendedSelection);
    root->addWidget(List, 1);
    connect(List, &QTreeWidget::itemSelectionChanged, this, [this] { selection_changed(); });
    connect(List, &QTreeWidget::itemDoubleClicked, this, [this] { compare_selected(); });

    Status = new QLabel(this);
    Status->setWordWrap(true);
    root->addWidget(Status);

    auto* buttons = new QHBoxLayout();
    Open = new QPushButton(QStringLiteral("&Open as Working Setpoints"), this);
    Compare = new QPushButton(QStringLiteral("&Compare..."), this);
    Format = make_format_box(this);
    Export = new QPushButton(QStringLiteral("&Export..."), this);
    auto* again = new QPushButton(QStringLiteral("Re&fresh"), this);
    auto* close_button = new QPushButton(QStringLiteral("C&lose"), this);
    for (QWidget* w : std::initializer_list<QWidget*>{Open, Compare, Format, Export})
        buttons->addWidget(w);
    buttons->addStretch(1);
    buttons->addWidget(again);
    buttons->addWidget(close_button);
    root->addLayout(buttons);
    connect(Open, &QPushButton::clicked, this, [this] { open_selected(); });
    connect(Compare, &QPushButton::clicked, this, [this] { compare_selected(); });
    connect(Export, &QPushButton::clicked, this, [this] { export_selected(); });
    connect(again, &QPushButton::clicked, this, [this] { refresh(); });
    connect(close_button, &QPushButton::clicked, this, &QWidget::close);
    new QShortcut(QKeySequence::Refresh, this, [this] { refresh(); });
    new QShortcut(QKeySequence::Cancel, this, [this] { close(); });
    selection_changed();
    resize(940, 520);
}

HistoryWindow::~HistoryWindow() = default;

void HistoryWindow::showEvent(QShowEvent* e) {
    refresh();
    QWidget::showEvent(e);
}

void HistoryWindow::refresh() {
    all_.clear();
    std::string error;
    // Looking at the history creates no database where there is none yet.
    if (QFileInfo::exists(q(db_->path()))) {
        if (auto list = db_->list(error)) all_ = std::move(*list);
    }
    const QString kept = Relays->currentIndex() > 0 ? Relays->currentText() : QString();
    std::set<QString> relays;
    for (const Snapshot& s : all_) relays.insert(relay_of(s));
    {
        const QSignalBlocker block(Relays);
        Relays->clear();
        Relays->addItem(QStringLiteral("All relays"));
        for (const QString& r : relays) Relays->addItem(r);
        Relays->setCurrentIndex(std::max(0, Relays->findText(kept)));
    }
    fill();
    if (!error.empty())
        Status->setText(QStringLiteral("The settings history cannot be read: %1").arg(q(error)));
}

void HistoryWindow::fill() {
    const QString relay = Relays->currentIndex() > 0 ? Relays->currentText() : QString();
    List->clear();
    QList<QTreeWidgetItem*> items;
    for (const Snapshot& s : all_) {
        if (!relay.isEmpty() && relay_of(s) != relay) continue;
        auto* it = new QTreeWidgetItem(QStringList{QString::number(s.id), q(s.taken_at), q(kind_text(s.kind)),
                                                   q(s.relay_name), q(s.port), QString::number(s.address),
                                                   q(s.firmware), q(s.user)});
        it->setData(0, Qt::UserRole, static_cast<qlonglong>(s.id));
        items.push_back(it);
    }
    List->addTopLevelItems(items);
    Status->setText(all_.empty() ? QStringLiteral("No snapshots yet: reading a relay's setpoints stores one.")
                                 : QStringLiteral("%1 snapshots in %2").arg(items.size()).arg(q(db_->path())));
    selection_changed();
}

std::vector<std::int64_t> HistoryWindow::listed() const {
    std::vector<std::int64_t> ids;
    for (int i = 0; i < List->topLevelItemCount(); ++i)
        ids.push_back(List->topLevelItem(i)->data(0, Qt::UserRole).toLongLong());
    return ids;
}

std::vector<std::int64_t> HistoryWindow::selected() const {
    std::vector<std::int64_t> ids;
    for (int i = 0; i < List->topLevelItemCount(); ++i)
        if (List->topLevelItem(i)->isSelected()) ids.push_back(List->topLevelItem(i)->data(0, Qt::UserRole).toLongLong());
    return ids;
}

void HistoryWindow::select(const std::vector<std::int64_t>& ids) {
    for (int i = 0; i < List->topLevelItemCount(); ++i) {
        QTreeWidgetItem* it = List->topLevelItem(i);
        it->setSelected(std::find(ids.begin(), ids.end(), it->data(0, Qt::UserRole).toLongLong()) != ids.end());
    }
}

void HistoryWindow::selection_changed() {
    const std::size_t n = selected().size();
    Open->setEnabled(n == 1);
    Export->setEnabled(n == 1);
    Compare->setEnabled(n == 1 || n == 2);
}

std::optional<Snapshot> HistoryWindow::load(std::int64_t id) {
    std::string error;
    auto s = db_->get(id, error);
    if (!s) ctx_.messages().message_box("The snapshot could not be read: " + error, MsgButtons::Ok, MsgIcon::Critical, "NEVA");
    return s;
}

bool HistoryWindow::open_selected() {
    const auto ids = selected();
    if (ids.size() != 1) return false;
    const auto s = load(ids[0]);
    return s && principal_.take_over_setpoints(snapshot_source(*s));
}

bool HistoryWindow::compare_selected() {
    const auto ids = selected();
    if (ids.empty() || ids.size() > 2) return false;
    // The list is newest first: the older snapshot is A.
    const auto a = load(ids.back());
    if (!a) return false;
    if (ids.size() == 1) {
        compare_(snapshot_source(*a), std::nullopt);
        return true;
    }
    const auto b = load(ids.front());
    if (!b) return false;
    compare_(snapshot_source(*a), snapshot_source(*b));
    return true;
}

bool HistoryWindow::export_selected() {
    const auto ids = selected();
    if (ids.size() != 1) return false;
    const auto s = load(ids[0]);
    return s && save_report_as(ctx_.messages(), records::settings_report(shipped_register_map(), snapshot_source(*s)),
                               chosen_format(Format));
}

}  // namespace neva
