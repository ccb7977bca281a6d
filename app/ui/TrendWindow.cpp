#include "ui/TrendWindow.h"

#include <QAction>
#include <QBuffer>
#include <QChart>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDateTime>
#include <QDateTimeAxis>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineSeries>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <QValueAxis>
#include <QVBoxLayout>

#include "ReportFile.h"
#include "image/ModAutoRango.h"
#include "ui/AppContext.h"
#include "ui/Principal.h"
#include "ui/TrendChartView.h"

namespace neva {

namespace {

QString q(const std::string& s) { return QString::fromStdString(s); }

// Phase colours as on the switchgear's mimic: A red, B yellow, C blue; ground green.
const QColor kColours[kCurrentChannels] = {QColor(0xC6, 0x28, 0x28), QColor(0xD8, 0xA1, 0x00),
                                           QColor(0x15, 0x65, 0xC0), QColor(0x2E, 0x7D, 0x32)};
constexpr int kSpanMinutes[] = {2, 10, 30, 60};
constexpr int kDefaultSpan = 1;  // 10 min
constexpr const char* kMessageTitle = "NEVA";

}  // namespace

TrendWindow::TrendWindow(Principal& principal)
    : QWidget(&principal, Qt::Window), principal_(principal), ctx_(principal.contexto()) {
    setObjectName("TrendWindow");
    setWindowTitle(QString::fromLatin1(kTitle));
    recorder_ = std::make_unique<MeteringRecorder>(ctx_.link(), ctx_.state(), ctx_.timers(), ctx_.clock());
    recorder_->on_sample = [this](const CurrentSample& s) { sample_taken(s); };

    chart_ = new QChart();
    chart_->legend()->setAlignment(Qt::AlignTop);
    chart_->setMargins(QMargins(4, 4, 4, 4));
    time_axis_ = new QDateTimeAxis(chart_);
    time_axis_->setFormat(QStringLiteral("hh:mm:ss"));
    time_axis_->setTickCount(7);
    time_axis_->setTitleText(QStringLiteral("Time"));
    value_axis_ = new QValueAxis(chart_);
    value_axis_->setLabelFormat(QStringLiteral("%g"));
    value_axis_->setTickCount(6);
    chart_->addAxis(time_axis_, Qt::AlignBottom);
    chart_->addAxis(value_axis_, Qt::AlignLeft);
    for (int k = 0; k < kCurrentChannels; ++k) {
        series_[k] = new QLineSeries(chart_);
        series_[k]->setName(QString::fromLatin1(kCurrentNames[k]));
        series_[k]->setPen(QPen(kColours[k], 2));
        chart_->addSeries(series_[k]);
        series_[k]->attachAxis(time_axis_);
        series_[k]->attachAxis(value_axis_);
    }
    view_ = new TrendChartView(chart_, this);
    view_->setObjectName("TrendChart");
    connect(view_, &TrendChartView::view_moved, this, &TrendWindow::view_moved_by_user);
    // Zooms that do not come through the view's own handlers (the band's right
    // click) also pause following.
    connect(time_axis_, &QDateTimeAxis::rangeChanged, this, [this] {
        if (!moving_view_) view_moved_by_user();
    });

    build_controls();
    utc_offset_ms_ = qint64(QDateTime::currentDateTime().offsetFromUtc()) * 1000;
    update_view();
    update_status();
    resize(980, 560);
}

TrendWindow::~TrendWindow() {
    recorder_->on_sample = nullptr;
}

void TrendWindow::install(Principal& principal) {
    QMenu* menu = principal.Actual_Values;
    menu->addSeparator();
    QAction* a = menu->addAction(QStringLiteral("&Current Trend"));
    a->setObjectName("mnuTrend");
    a->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_T));
    auto window = std::make_shared<QPointer<TrendWindow>>();
    QObject::connect(a, &QAction::triggered, &principal, [&principal, window] {
        if (!*window) *window = new TrendWindow(principal);
        (*window)->show();
        (*window)->raise();
        (*window)->activateWindow();
    });
}

void TrendWindow::build_controls() {
    auto* top = new QHBoxLayout();
    for (int k = 0; k < kCurrentChannels; ++k) {
        show_[k] = new QCheckBox(QString::fromLatin1(kCurrentNames[k]), this);
        show_[k]->setObjectName(QStringLiteral("Show%1").arg(k));
        show_[k]->setChecked(true);
        QPalette p = show_[k]->palette();
        p.setColor(QPalette::WindowText, kColours[k]);
        show_[k]->setPalette(p);
        connect(show_[k], &QCheckBox::toggled, this, [this, k](bool on) {
            series_[k]->setVisible(on);
            update_view();
        });
        top->addWidget(show_[k]);
    }
    top->addStretch(1);
    top->addWidget(new QLabel(QStringLiteral("Time shown:"), this));
    span_ = new QComboBox(this);
    span_->setObjectName("Span");
    for (int m : kSpanMinutes) span_->addItem(m < 60 ? QStringLiteral("last %1 min").arg(m) : QStringLiteral("last hour"), m);
    span_->setCurrentIndex(kDefaultSpan);
    connect(span_, &QComboBox::activated, this, [this](int i) { set_span_minutes(span_->itemData(i).toInt()); });
    top->addWidget(span_);
    pause_ = new QPushButton(QStringLiteral("&Pause"), this);
    pause_->setObjectName("Pause");
    pause_->setCheckable(true);
    pause_->setToolTip(QStringLiteral("Hold the view; readings are still recorded and logged (Space)"));
    connect(pause_, &QPushButton::toggled, this, [this](bool held) { set_live(!held); });
    top->addWidget(pause_);
    live_button_ = new QPushButton(QStringLiteral("&Live"), this);
    live_button_->setObjectName("Live");
    live_button_->setToolTip(QStringLiteral("Follow the newest readings again (Home)"));
    connect(live_button_, &QPushButton::clicked, this, [this] { set_live(true); });
    top->addWidget(live_button_);
    auto* export_button = new QPushButton(QStringLiteral("&Export PNG..."), this);
    export_button->setObjectName("ExportPng");
    export_button->setToolTip(QStringLiteral("Save the chart as shown as a PNG picture (Ctrl+E)"));
    connect(export_button, &QPushButton::clicked, this, [this] { export_png(); });
    top->addWidget(export_button);

    status_ = new QLabel(this);
    status_->setObjectName("TrendStatus");
    // A long reading line is cut, never widens the window.
    status_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);

    auto* bottom = new QHBoxLayout();
    bottom->addWidget(new QLabel(QStringLiteral("CSV log:"), this));
    rotation_ = new QComboBox(this);
    rotation_->setObjectName("Rotation");
    rotation_->addItem(QStringLiteral("One file"));
    rotation_->addItem(QStringLiteral("New file every hour"));
    rotation_->addItem(QStringLiteral("New file every day"));
    bottom->addWidget(rotation_);
    log_button_ = new QPushButton(this);
    log_button_->setObjectName("Logging");
    connect(log_button_, &QPushButton::clicked, this, [this] { toggle_logging(); });
    bottom->addWidget(log_button_);
    log_status_ = new QLabel(this);
    log_status_->setObjectName("LogStatus");
    log_status_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    bottom->addWidget(log_status_, 1);

    auto* root = new QVBoxLayout(this);
    root->addLayout(top);
    root->addWidget(view_, 1);
    root->addWidget(status_);
    root->addLayout(bottom);

    auto shortcut = [this](const QKeySequence& keys, auto what) {
        auto* a = new QAction(this);
        a->setShortcut(keys);
        connect(a, &QAction::triggered, this, what);
        addAction(a);
    };
    shortcut(QKeySequence(Qt::Key_Space), [this] { set_live(!live_); });
    shortcut(QKeySequence(Qt::Key_Home), [this] { set_live(true); });
    shortcut(QKeySequence(Qt::CTRL | Qt::Key_E), [this] { export_png(); });
    shortcut(QKeySequence(Qt::CTRL | Qt::Key_L), [this] { toggle_logging(); });
    shortcut(QKeySequence(Qt::CTRL | Qt::Key_W), [this] { close(); });

    // The link's state shows even when no reading comes.
    auto* status_timer = new QTimer(this);
    connect(status_timer, &QTimer::timeout, this, [this] { update_status(); });
    status_timer->start(1000);
}

qint64 TrendWindow::chart_ms(std::int64_t local) const { return local - utc_offset_ms_; }
std::int64_t TrendWindow::local_ms(qint64 chart) const { return chart + utc_offset_ms_; }

void TrendWindow::sample_taken(const CurrentSample& s) {
    if (logger_.active() && !logger_.write(s)) logging_failed();
    // The chart is brought up to date once the link has finished with the answer
    // and dispatched its next request; readings that come meanwhile share one redraw.
    if (!refresh_pending_) {
        refresh_pending_ = true;
        QTimer::singleShot(0, this, [this] {
            refresh_pending_ = false;
            update_view();
            update_status();
        });
    }
}

void TrendWindow::update_view() {
    const TrendBuffer& b = recorder_->buffer();
    std::int64_t from = 0, to = 0;
    if (live_) {
        // The time axis moves in steps of a tenth of the span: the newest reading
        // stays in the last tenth of the view, and the axis is laid out again every
        // few readings instead of at each one.
        const std::int64_t newest = b.empty() ? local_ms(QDateTime::currentMSecsSinceEpoch()) : b.newest().time_ms;
        const std::int64_t step = span_ms_ / 10;
        if (newest > live_to_ms_ || newest < live_to_ms_ - step) live_to_ms_ = newest + step;
        to = live_to_ms_;
        from = to - span_ms_;
    } else {
        from = local_ms(time_axis_->min().toMSecsSinceEpoch());
        to = local_ms(time_axis_->max().toMSecsSinceEpoch());
    }
    std::array<bool, kCurrentChannels> shown{};
    for (int k = 0; k < kCurrentChannels; ++k) shown[k] = show_[k]->isChecked();
    const Fixed4 largest = b.largest(from, to, shown);
    scale_ = trend_scale(largest);

    // The series hold only the readings in view (and one either side, so the lines
    // run to the edges): a redraw costs what is shown, not the whole hour.
    utc_offset_ms_ = qint64(QDateTime::currentDateTime().offsetFromUtc()) * 1000;
    const std::size_t first = b.first_at_or_after(from);
    const std::size_t begin = first > 0 ? first - 1 : 0;
    const std::size_t end = std::min(b.size(), b.first_at_or_after(to + 1) + 1);
    // Whatever the chart does with its axes meanwhile is not the user moving the view.
    moving_view_ = true;
    for (int k = 0; k < kCurrentChannels; ++k) {
        QList<QPointF> points;
        if (shown[k]) {
            points.reserve(qsizetype(end - begin));
            for (std::size_t i = begin; i < end; ++i)
                points.append(QPointF(double(chart_ms(b[i].time_ms)), scale_.in_unit(b[i].amperes[k])));
        }
        series_[k]->replace(points);
    }

    const QDateTime view_from = QDateTime::fromMSecsSinceEpoch(chart_ms(from));
    const QDateTime view_to = QDateTime::fromMSecsSinceEpoch(chart_ms(to));
    if (live_ && (time_axis_->min() != view_from || time_axis_->max() != view_to))
        time_axis_->setRange(view_from, view_to);
    // A little headroom, so the largest current does not run along the top edge.
    const double top = axis_top(scale_.in_unit(largest) * 1.05);
    if (value_axis_->min() != 0.0 || value_axis_->max() != top) value_axis_->setRange(0.0, top);
    const QString title = QStringLiteral("Current (%1)").arg(q(scale_.unit));
    if (value_axis_->titleText() != title) value_axis_->setTitleText(title);
    moving_view_ = false;
}

void TrendWindow::view_moved_by_user() {
    if (moving_view_) return;
    if (live_) {
        live_ = false;
        const QSignalBlocker block(pause_);
        pause_->setChecked(true);
    }
    update_view();
    update_status();
}

void TrendWindow::set_live(bool on) {
    live_ = on;
    live_to_ms_ = 0;  // following starts again from the newest reading
    {
        const QSignalBlocker block(pause_);
        pause_->setChecked(!on);
    }
    update_view();
    update_status();
}

void TrendWindow::set_span_minutes(int minutes) {
    span_ms_ = qint64(minutes) * 60 * 1000;
    for (int i = 0; i < span_->count(); ++i)
        if (span_->itemData(i).toInt() == minutes) span_->setCurrentIndex(i);
    set_live(true);
}

void TrendWindow::update_status() {
    const TrendBuffer& b = recorder_->buffer();
    QString text;
    if (!ctx_.state().En_Linea) {
        text = QStringLiteral("Not communicating: the trend goes on when the relay answers.");
    } else if (b.empty()) {
        text = QStringLiteral("Waiting for the first reading...");
    } else {
        const CurrentSample& s = b.newest();
        text = QStringLiteral("Last reading %1").arg(q(iso_time(s.time_ms).substr(11, 8)));
        for (int k = 0; k < kCurrentChannels; ++k) {
            std::string number, unit;
            AutoRango(1, number, unit, s.amperes[k]);
            text += QStringLiteral("   %1 %2 %3").arg(QString::fromLatin1(kCurrentNames[k]), q(number), q(unit));
        }
    }
    if (!live_) text += QStringLiteral("   (view held: Live or Home follows the readings again)");
    if (status_->text() != text) status_->setText(text);

    rotation_->setEnabled(!logger_.active());
    log_button_->setText(logger_.active() ? QStringLiteral("Stop lo&gging") : QStringLiteral("Start lo&gging..."));
    const QString log_text =
        logger_.active() ? QStringLiteral("Logging to %1 (%2 rows)")
                               .arg(QFileInfo(q(logger_.file_name())).fileName())
                               .arg(qulonglong(logger_.rows()))
                         : QStringLiteral("Not logging");
    if (log_status_->text() != log_text) log_status_->setText(log_text);
    log_status_->setToolTip(logger_.active() ? q(logger_.file_name()) : QString());
}

bool TrendWindow::toggle_logging() {
    if (logger_.active()) {
        logger_.stop();
        update_status();
        return false;
    }
    FileDialogSetup setup;
    setup.initial_name = "current-log.csv";
    setup.filter = "CSV Files (*.csv)|*.csv|All Files (*.*)|*.*|";
    // An existing log is appended to, never replaced, so there is nothing to confirm.
    setup.overwrite_prompt = false;
    const auto path = ctx_.messages().save_file_name(setup);
    if (!path) return false;
    const LogRotation rotation = rotation_->currentIndex() == 1   ? LogRotation::Hourly
                                 : rotation_->currentIndex() == 2 ? LogRotation::Daily
                                                                  : LogRotation::None;
    const bool ok = logger_.start(*path, rotation, civil_ms(ctx_.clock().now()));
    if (!ok) ctx_.messages().message_box(logger_.error(), MsgButtons::Ok, MsgIcon::Critical, kMessageTitle);
    update_status();
    return ok;
}

void TrendWindow::logging_failed() {
    // Told after the link has finished with the answer in hand: a box opened from
    // inside the answer's handling would hold the next request back until closed.
    const std::string error = logger_.error();
    QTimer::singleShot(0, this, [this, error] {
        ctx_.messages().message_box(error, MsgButtons::Ok, MsgIcon::Critical, kMessageTitle);
    });
}

bool TrendWindow::export_png() {
    FileDialogSetup setup;
    setup.initial_name = "current-trend.png";
    setup.filter = "PNG Pictures (*.png)|*.png|";
    setup.overwrite_prompt = true;
    const auto path = ctx_.messages().save_file_name(setup);
    if (!path) return false;
    QBuffer png;
    png.open(QIODevice::WriteOnly);
    std::string error = "could not draw the picture";
    if (view_->grab().save(&png, "PNG")) {
        const QByteArray& bytes = png.data();
        if (records::write_bytes_file({reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                                       static_cast<std::size_t>(bytes.size())},
                                      *path, error))
            return true;
    }
    ctx_.messages().message_box("Cannot save the picture: " + error + ".", MsgButtons::Ok, MsgIcon::Critical,
                                kMessageTitle);
    return false;
}

void TrendWindow::showEvent(QShowEvent* e) {
    if (!recorder_->running()) recorder_->start();
    update_view();
    update_status();
    QWidget::showEvent(e);
}

void TrendWindow::closeEvent(QCloseEvent* e) {
    if (logger_.active()) {
        const auto answer = ctx_.messages().message_box(
            "Logging to " + logger_.file_name() + " is running. Stop logging and close the trend?", MsgButtons::YesNo,
            MsgIcon::Question, kMessageTitle);
        if (answer != MsgAnswer::Yes) {
            e->ignore();
            return;
        }
        logger_.stop();
    }
    // Closed, the window asks the relay for nothing; its hour of readings is kept.
    recorder_->stop();
    update_status();
    e->accept();
}

}  // namespace neva
