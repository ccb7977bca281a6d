#include "ui/LineMonitorWindow.h"

#include <QAction>
#include <QDateTime>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QVBoxLayout>

#include "ReportFile.h"

namespace neva {

LineMonitorWindow::LineMonitorWindow(LineMonitor& monitor, MessageService& messages, TimerFactory& timers,
                                     QWidget* parent)
    : QWidget(parent, Qt::Window), monitor_(monitor), messages_(messages) {
    setObjectName("LineMonitorWindow");
    setWindowTitle(QStringLiteral("Line Monitor"));

    lines = new QPlainTextEdit(this);
    lines->setReadOnly(true);
    lines->setLineWrapMode(QPlainTextEdit::NoWrap);
    lines->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    // The view holds no more than the ring does.
    lines->setMaximumBlockCount(static_cast<int>(monitor_.capacity()));
    counters = new QLabel(this);
    counters->setTextInteractionFlags(Qt::TextSelectableByMouse);
    counters->setWordWrap(true);

    pause_button = new QPushButton(QStringLiteral("&Pause"), this);
    pause_button->setCheckable(true);
    pause_button->setToolTip(QStringLiteral("Stop recording frames (the counters keep running)"));
    clear_button = new QPushButton(QStringLiteral("C&lear"), this);
    save_button = new QPushButton(QStringLiteral("&Save..."), this);
    save_button->setShortcut(QKeySequence::Save);
    auto* close_button = new QPushButton(QStringLiteral("Close"), this);
    for (QPushButton* b : {pause_button, clear_button, save_button, close_button}) b->setAutoDefault(false);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(pause_button);
    buttons->addWidget(clear_button);
    buttons->addWidget(save_button);
    buttons->addStretch(1);
    buttons->addWidget(close_button);
    auto* all = new QVBoxLayout(this);
    all->addWidget(lines, 1);
    all->addWidget(counters);
    all->addLayout(buttons);

    auto* close_key = new QAction(this);
    close_key->setShortcut(QKeySequence(Qt::Key_Escape));
    addAction(close_key);
    connect(close_key, &QAction::triggered, this, &QWidget::close);
    connect(pause_button, &QPushButton::toggled, this, &LineMonitorWindow::pause_clicked);
    connect(clear_button, &QPushButton::clicked, this, &LineMonitorWindow::clear_clicked);
    connect(save_button, &QPushButton::clicked, this, [this] { save_clicked(); });
    connect(close_button, &QPushButton::clicked, this, &QWidget::close);

    refresh_ = timers.make_timer(500);
    refresh_->on_tick = [this] { show_counters(); };
    pause_button->setChecked(monitor_.paused());
    show_counters();
    resize(900, 480);
}

LineMonitorWindow::~LineMonitorWindow() {
    monitor_.on_entry = nullptr;
    refresh_->on_tick = nullptr;
}

void LineMonitorWindow::showEvent(QShowEvent* e) {
    QWidget::showEvent(e);
    rebuild();
    monitor_.on_entry = [this](const LineEntry& entry) {
        // Keep the view where the user scrolled it, unless it was at the end.
        QScrollBar* bar = lines->verticalScrollBar();
        const bool at_end = bar->value() == bar->maximum();
        lines->appendPlainText(QString::fromStdString(LineMonitor::format(entry)));
        if (at_end) bar->setValue(bar->maximum());
        show_counters();
    };
    refresh_->set_enabled(true);
}

void LineMonitorWindow::hideEvent(QHideEvent* e) {
    monitor_.on_entry = nullptr;
    refresh_->set_enabled(false);
    QWidget::hideEvent(e);
}

void LineMonitorWindow::rebuild() {
    QString all;
    for (const LineEntry& e : monitor_.entries()) {
        all += QString::fromStdString(LineMonitor::format(e));
        all += QLatin1Char('\n');
    }
    if (all.endsWith(QLatin1Char('\n'))) all.chop(1);
    lines->setPlainText(all);
    lines->verticalScrollBar()->setValue(lines->verticalScrollBar()->maximum());
    show_counters();
}

void LineMonitorWindow::show_counters() {
    counters->setText(QString::fromStdString(LineMonitor::format(monitor_.counters())) +
                      (monitor_.paused() ? QStringLiteral("  (paused)") : QString()));
}

void LineMonitorWindow::pause_clicked(bool paused) {
    monitor_.set_paused(paused);
    pause_button->setChecked(paused);
    pause_button->setText(paused ? QStringLiteral("&Resume") : QStringLiteral("&Pause"));
    show_counters();
}

void LineMonitorWindow::clear_clicked() {
    monitor_.clear();
    lines->clear();
    show_counters();
}

QString LineMonitorWindow::text() const {
    QString out = QStringLiteral("NEVA Setup line monitor, saved %1\n")
                      .arg(QDateTime::currentDateTime().toString(Qt::ISODate));
    out += QString::fromStdString(LineMonitor::format(monitor_.counters())) + QLatin1Char('\n');
    out += QStringLiteral("     time  dir bytes / request: verdict\n");
    for (const LineEntry& e : monitor_.entries()) out += QString::fromStdString(LineMonitor::format(e)) + QLatin1Char('\n');
    return out;
}

bool LineMonitorWindow::save_clicked() {
    FileDialogSetup setup;
    setup.initial_name = "line-monitor.txt";
    setup.filter = "Text Files (*.txt)|*.txt|All Files (*.*)|*.*|";
    setup.overwrite_prompt = true;
    const auto name = messages_.save_file_name(setup);
    if (!name || name->empty()) return false;
    std::string error;
    if (records::write_text_file(text().toStdString(), *name, error)) return true;
    messages_.message_box("The line monitor could not be saved: " + error, MsgButtons::Ok, MsgIcon::Critical,
                          "Line Monitor");
    return false;
}

}  // namespace neva
