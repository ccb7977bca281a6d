#include "ui/CompareWindow.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeySequence>
#include <QLabel>
#include <QPushButton>
#include <QShortcut>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "ui/AppContext.h"
#include "ui/RelayRead.h"
#include "ui/ReportExport.h"

namespace neva {

namespace {

QString q(const std::string& s) { return QString::fromStdString(s); }

// In the order of Choice; a snapshot is offered only once one has been given.
const char* const kChoices[] = {"Working setpoints", "Relay (read now)", "Setpoint file..."};

// "Feeder 7, firmware 1.03, saved 2026-12-06T12:00:00" under a side's list.
QString describe(const SetpointSource& s) {
    QStringList parts{q(s.name)};
    if (!s.relay_name.empty()) parts << QStringLiteral("relay %1").arg(q(s.relay_name));
    if (!s.firmware.empty()) parts << QStringLiteral("firmware %1").arg(q(s.firmware));
    if (!s.saved.empty()) parts << QStringLiteral("saved %1").arg(q(s.saved));
    if (s.from_relay())
        parts << QStringLiteral("%1, address %2, read %3").arg(q(s.port)).arg(s.address).arg(q(s.read_time));
    return parts.join(QStringLiteral(", "));
}

}  // namespace

CompareWindow::CompareWindow(AppContext& ctx, QWidget* parent) : QWidget(parent, Qt::Window), ctx_(ctx) {
    setObjectName("CompareWindow");
    setWindowTitle(QStringLiteral("Compare Settings"));
    auto* root = new QVBoxLayout(this);
    auto* grid = new QGridLayout();
    for (int side = 0; side < 2; ++side) {
        grid->addWidget(new QLabel(side == 0 ? QStringLiteral("A:") : QStringLiteral("B:"), this), side * 2, 0);
        Sources[side] = new QComboBox(this);
        Sources[side]->setObjectName(side == 0 ? "SourceA" : "SourceB");
        for (const char* c : kChoices) Sources[side]->addItem(QString::fromLatin1(c));
        Sources[side]->setPlaceholderText(QStringLiteral("Choose the setpoints..."));
        Sources[side]->setCurrentIndex(-1);
        grid->addWidget(Sources[side], side * 2, 1);
        Descriptions[side] = new QLabel(this);
        Descriptions[side]->setWordWrap(true);
        Descriptions[side]->setTextInteractionFlags(Qt::TextSelectableByMouse);
        grid->addWidget(Descriptions[side], side * 2 + 1, 1);
        connect(Sources[side], &QComboBox::activated, this, [this, side](int index) { picked(side, index); });
        show_choice(side);
    }
    grid->setColumnStretch(1, 1);
    root->addLayout(grid);

    auto* bar = new QHBoxLayout();
    OnlyDifferences = new QCheckBox(QStringLiteral("&Only differences"), this);
    Summary = new QLabel(this);
    bar->addWidget(OnlyDifferences);
    bar->addWidget(Summary, 1);
    root->addLayout(bar);
    connect(OnlyDifferences, &QCheckBox::toggled, this, [this] { filter(); });

    List = make_record_list(this,
                            {QStringLiteral("Page"), QStringLiteral("Setpoint"), QStringLiteral("A"),
                             QStringLiteral("B"), QStringLiteral("Register")},
                            QSize(760, 380));
    root->addWidget(List, 1);

    auto* buttons = new QHBoxLayout();
    buttons->addWidget(new QLabel(QStringLiteral("Report format:"), this));
    Format = make_format_box(this);
    buttons->addWidget(Format);
    Export = new QPushButton(QStringLiteral("&Export..."), this);
    buttons->addWidget(Export);
    buttons->addStretch(1);
    auto* close_button = new QPushButton(QStringLiteral("&Close"), this);
    buttons->addWidget(close_button);
    root->addLayout(buttons);
    connect(Export, &QPushButton::clicked, this, [this] { export_comparison(); });
    connect(close_button, &QPushButton::clicked, this, &QWidget::close);
    new QShortcut(QKeySequence::Cancel, this, [this] { close(); });

    read_ = new RelayRead(ctx_, this);
    recompute();
    // Room for both texts of the widest rows side by side.
    resize(1180, 660);
}

CompareWindow::~CompareWindow() = default;

bool CompareWindow::busy() const { return read_->running(); }

void CompareWindow::show_choice(int side) {
    // The list shows what the side holds; a cancelled choice leaves it as it was.
    updating_ = true;
    Sources[side]->setCurrentIndex(chosen_[side] ? static_cast<int>(*chosen_[side]) : -1);
    updating_ = false;
    Descriptions[side]->setText(sources_[side] ? describe(*sources_[side]) : QString());
}

void CompareWindow::picked(int side, int index) {
    if (!updating_ && index >= 0) choose(side, static_cast<Choice>(index));
}

void CompareWindow::set_source(int side, const SetpointSource& source) {
    snapshots_[side] = source;
    chosen_[side] = Choice::Snapshot;
    const int item = static_cast<int>(Choice::Snapshot);
    if (Sources[side]->count() <= item) Sources[side]->addItem(QString());
    Sources[side]->setItemText(item, q(source.name));
    take(side, source);
}

bool CompareWindow::choose(int side, Choice choice) {
    MessageService& messages = ctx_.messages();
    bool taken = false;
    switch (choice) {
        case Choice::Working:
            chosen_[side] = choice;
            take(side, working_source(ctx_.state(), ctx_.images()));
            taken = true;
            break;
        case Choice::Snapshot:
            if (snapshots_[side]) {
                chosen_[side] = choice;
                take(side, *snapshots_[side]);
                taken = true;
            }
            break;
        case Choice::File:
            if (const auto file = choose_setpoint_file(messages)) {
                chosen_[side] = choice;
                take(side, *file);
                taken = true;
            }
            break;
        case Choice::Relay:
            if (!ctx_.state().En_Linea) {
                messages.message_box(
                    "The relay can be read only while communicating. Connect first (Setup > Communication).",
                    MsgButtons::Ok, MsgIcon::Information, "NEVA");
                break;
            }
            if (!read_->start([this, side](const std::optional<SetpointSource>& relay) {
                    setEnabled(true);
                    if (!relay) {
                        ctx_.messages().message_box("The relay's setpoints could not be read.", MsgButtons::Ok,
                                                    MsgIcon::Critical, "NEVA");
                        show_choice(side);
                        return;
                    }
                    chosen_[side] = Choice::Relay;
                    take(side, *relay);
                }))
                break;
            setEnabled(false);
            Descriptions[side]->setText(QStringLiteral("Reading the relay..."));
            return true;
    }
    show_choice(side);
    return taken;
}

void CompareWindow::take(int side, const SetpointSource& source) {
    sources_[side] = source;
    show_choice(side);
    recompute();
}

void CompareWindow::recompute() {
    rows_.clear();
    List->clear();
    Export->setEnabled(sources_[0] && sources_[1]);
    if (!sources_[0] || !sources_[1]) {
        Summary->setText(QStringLiteral("Choose the setpoints to compare as A and B."));
        return;
    }
    rows_ = compare_setpoints(shipped_register_map(), sources_[0]->setpoints, sources_[1]->setpoints);
    int differing = 0;
    QList<QTreeWidgetItem*> items;
    for (const SetpointComparison& c : rows_) {
        auto* it = new QTreeWidgetItem(
            QStringList{q(c.caption), q(c.entry->label), q(c.a.display), q(c.b.display), q(c.entry->address())});
        if (c.differs) {
            ++differing;
            QFont bold = it->font(0);
            bold.setBold(true);
            for (int col = 0; col < 5; ++col) {
                it->setBackground(col, QColor(0xff, 0xe0, 0x8a));
                it->setFont(col, bold);
            }
        }
        it->setData(0, Qt::UserRole, c.differs);
        items.push_back(it);
    }
    List->addTopLevelItems(items);
    Summary->setText(QStringLiteral("%1 of %2 setpoints differ").arg(differing).arg(rows_.size()));
    filter();
}

void CompareWindow::filter() {
    const bool only = OnlyDifferences->isChecked();
    for (int i = 0; i < List->topLevelItemCount(); ++i) {
        QTreeWidgetItem* it = List->topLevelItem(i);
        it->setHidden(only && !it->data(0, Qt::UserRole).toBool());
    }
}

bool CompareWindow::export_comparison() {
    if (!sources_[0] || !sources_[1]) return false;
    const auto report = records::comparison_report(*sources_[0], *sources_[1], rows_, OnlyDifferences->isChecked());
    return save_report_as(ctx_.messages(), report, chosen_format(Format));
}

}  // namespace neva
