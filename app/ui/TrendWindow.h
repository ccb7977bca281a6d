#pragma once
// "Current Trend": the phase A, B, C and ground currents over the last hour, for
// commissioning a feeder or chasing an intermittent ground fault. A window of its
// own beside the main window (not modal), made on first use from the Actual Values
// menu and kept for the run, so its hour of readings survives closing it.
//
// Its readings come from the link's measurement answers (MeteringRecorder): the
// metering page's request at the page's interval, asked for only while the window
// is open and nobody else is asking. The value axis takes the unit the metering
// page would show the largest current in view in. Pause stops the view following
// the newest readings (they are still recorded and logged); zooming or panning
// pauses too, and Live returns to the newest. The view can be saved as a PNG
// picture, and the readings logged to a CSV file, optionally a new file every
// hour or day.

#include <QWidget>
#include <array>
#include <memory>

#include "trend/CsvLogger.h"
#include "trend/MeteringRecorder.h"
#include "trend/TrendScale.h"

class QChart;
class QCheckBox;
class QComboBox;
class QDateTimeAxis;
class QLabel;
class QLineSeries;
class QPushButton;
class QValueAxis;

namespace neva {

class AppContext;
class Principal;
class TrendChartView;

class TrendWindow : public QWidget {
    Q_OBJECT
public:
    static constexpr const char* kTitle = "Current Trend";

    explicit TrendWindow(Principal& principal);
    ~TrendWindow() override;

    // Puts "&Current Trend" (Ctrl+T) at the end of the Actual Values menu.
    static void install(Principal& principal);

    MeteringRecorder& recorder() { return *recorder_; }
    const CsvLogger& logger() const { return logger_; }
    QChart* chart() const { return chart_; }
    QLineSeries* series(int k) const { return series_[k]; }
    QDateTimeAxis* time_axis() const { return time_axis_; }
    QValueAxis* value_axis() const { return value_axis_; }
    QCheckBox* show_box(int k) const { return show_[k]; }
    QPushButton* pause_button() const { return pause_; }
    QLabel* status_label() const { return status_; }
    QLabel* log_label() const { return log_status_; }
    QComboBox* rotation_box() const { return rotation_; }
    const TrendScale& scale() const { return scale_; }
    bool live() const { return live_; }

    // Follows the newest readings (true) or holds the view where it is.
    void set_live(bool on);
    // The stretch of time shown while following, in minutes.
    void set_span_minutes(int minutes);
    // Asks for a file and starts logging; stops a running log. False when no log runs afterwards.
    bool toggle_logging();
    // Asks for a file and saves the chart as it is shown. False when nothing was saved.
    bool export_png();

protected:
    void showEvent(QShowEvent* e) override;
    void closeEvent(QCloseEvent* e) override;

private:
    void build_controls();
    void sample_taken(const CurrentSample& s);
    // Series, time axis (while following) and value axis from the buffer, for the
    // stretch of time in view and in the unit of its largest shown current.
    void update_view();
    void view_moved_by_user();
    void update_status();
    void logging_failed();
    qint64 chart_ms(std::int64_t local_ms) const;
    std::int64_t local_ms(qint64 chart_ms) const;

    Principal& principal_;
    AppContext& ctx_;
    std::unique_ptr<MeteringRecorder> recorder_;
    CsvLogger logger_;

    QChart* chart_ = nullptr;
    TrendChartView* view_ = nullptr;
    std::array<QLineSeries*, kCurrentChannels> series_{};
    std::array<QCheckBox*, kCurrentChannels> show_{};
    QDateTimeAxis* time_axis_ = nullptr;
    QValueAxis* value_axis_ = nullptr;
    QPushButton* pause_ = nullptr;
    QPushButton* live_button_ = nullptr;
    QPushButton* log_button_ = nullptr;
    QComboBox* span_ = nullptr;
    QComboBox* rotation_ = nullptr;
    QLabel* status_ = nullptr;
    QLabel* log_status_ = nullptr;

    TrendScale scale_;
    bool live_ = true;
    bool moving_view_ = false;  // the window itself is setting the axes
    bool refresh_pending_ = false;
    qint64 span_ms_ = 10 * 60 * 1000;
    std::int64_t live_to_ms_ = 0;  // right end of the followed view, local time
    qint64 utc_offset_ms_ = 0;  // local time minus UTC, for the time axis
};

}  // namespace neva
