#include "ui/TrendChartView.h"

#include <QDateTime>
#include <QDateTimeAxis>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>
#include <utility>

namespace neva {

namespace {

QDateTimeAxis* time_axis(QChart* chart) {
    const auto axes = chart->axes(Qt::Horizontal);
    return axes.isEmpty() ? nullptr : qobject_cast<QDateTimeAxis*>(axes.front());
}

// Shortest stretch the time axis zooms to: a few readings stay in view.
constexpr qint64 kShortestViewMs = 10000;

}  // namespace

TrendChartView::TrendChartView(QChart* chart, QWidget* parent) : QChartView(chart, parent) {
    setRubberBand(QChartView::HorizontalRubberBand);
    setRenderHint(QPainter::Antialiasing);
    setFocusPolicy(Qt::StrongFocus);
}

void TrendChartView::zoom_time(double factor, double anchor_x) {
    QDateTimeAxis* axis = time_axis(chart());
    const QRectF plot = chart()->plotArea();
    if (!axis || plot.width() <= 0) return;
    const double from = axis->min().toMSecsSinceEpoch();
    const double to = axis->max().toMSecsSinceEpoch();
    const double at = from + (to - from) * std::clamp((anchor_x - plot.left()) / plot.width(), 0.0, 1.0);
    const double width = std::max((to - from) * factor, double(kShortestViewMs));
    const double left = at - (at - from) * width / (to - from);
    axis->setRange(QDateTime::fromMSecsSinceEpoch(qint64(left)), QDateTime::fromMSecsSinceEpoch(qint64(left + width)));
    emit view_moved();
}

void TrendChartView::pan_time(double fraction) {
    chart()->scroll(chart()->plotArea().width() * fraction, 0);
    emit view_moved();
}

void TrendChartView::wheelEvent(QWheelEvent* e) {
    const double steps = e->angleDelta().y() / 120.0;
    if (steps == 0) return;
    zoom_time(std::pow(0.8, steps), e->position().x());
    e->accept();
}

void TrendChartView::mousePressEvent(QMouseEvent* e) {
    if (e->button() == Qt::MiddleButton || (e->button() == Qt::LeftButton && (e->modifiers() & Qt::ShiftModifier))) {
        panning_ = true;
        last_pos_ = e->position();
        setCursor(Qt::ClosedHandCursor);
        e->accept();
        return;
    }
    QChartView::mousePressEvent(e);
}

void TrendChartView::mouseMoveEvent(QMouseEvent* e) {
    if (panning_) {
        const double dx = e->position().x() - last_pos_.x();
        last_pos_ = e->position();
        chart()->scroll(-dx, 0);
        emit view_moved();
        e->accept();
        return;
    }
    QChartView::mouseMoveEvent(e);
}

void TrendChartView::mouseReleaseEvent(QMouseEvent* e) {
    if (panning_) {
        panning_ = false;
        unsetCursor();
        e->accept();
        return;
    }
    // The band's zoom (and the right button's zoom out) change the time axis; the
    // value axis is set again from the data by the window. A plain click moves nothing.
    QDateTimeAxis* axis = time_axis(chart());
    const auto before = axis ? std::make_pair(axis->min(), axis->max()) : std::pair<QDateTime, QDateTime>();
    QChartView::mouseReleaseEvent(e);
    if (axis && before != std::make_pair(axis->min(), axis->max())) emit view_moved();
}

void TrendChartView::keyPressEvent(QKeyEvent* e) {
    const double middle = chart()->plotArea().center().x();
    switch (e->key()) {
        case Qt::Key_Left: pan_time(-0.1); break;
        case Qt::Key_Right: pan_time(0.1); break;
        case Qt::Key_Plus:
        case Qt::Key_Equal: zoom_time(0.5, middle); break;
        case Qt::Key_Minus: zoom_time(2.0, middle); break;
        default: QChartView::keyPressEvent(e); return;
    }
    e->accept();
}

}  // namespace neva
