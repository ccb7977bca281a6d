#pragma once
// The trend's chart with the engineer's ways of moving around in it: drag a band
// to zoom into a stretch of time (right click zooms out again), the wheel zooms
// around the pointer, Shift+drag or the middle button pans, the arrow keys pan,
// + and - zoom. Only the time axis moves; the value axis follows the data. Every
// such move is reported, so the window can stop following the newest readings.

#include <QChartView>

namespace neva {

class TrendChartView : public QChartView {
    Q_OBJECT
public:
    explicit TrendChartView(QChart* chart, QWidget* parent = nullptr);

    // Zooms the time axis by `factor` (below 1 zooms in) keeping the time at
    // plot x position `anchor_x` in place.
    void zoom_time(double factor, double anchor_x);
    // Moves the time axis by a fraction of its width (positive: later).
    void pan_time(double fraction);

signals:
    // The user moved or zoomed the time axis.
    void view_moved();

protected:
    void wheelEvent(QWheelEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;

private:
    bool panning_ = false;
    QPointF last_pos_;
};

}  // namespace neva
