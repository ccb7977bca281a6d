#include "controls/LEDS.h"

#include <QPainter>
#include <QRadialGradient>

namespace neva {

LEDS::LEDS(const SharedState& state, QWidget* parent)
    : QWidget(parent), state_(state), back_color_(palette().color(QPalette::Button)) {
    connect(&timer_, &QTimer::timeout, this, &LEDS::Tick);
    apply_timer();
}

void LEDS::setBackColor(const QColor& c) {
    back_color_ = c;
    update();
}

void LEDS::setInterval(int ms) {
    interval_ = ms < 0 ? 0 : ms;
    apply_timer();
}

void LEDS::setBlinkEnabled(bool on) {
    enabled_ = on;
    apply_timer();
}

void LEDS::apply_timer() {
    // An interval of 0 means "no blink", not "as fast as possible".
    if (enabled_ && interval_ > 0) {
        timer_.setInterval(interval_);
        if (!timer_.isActive()) timer_.start();
    } else {
        timer_.stop();
    }
}

void LEDS::Tick() {
    if (!state_.En_Linea) {
        enabled_ = false;
        timer_.stop();
        return;
    }
    image1_visible_ = !image1_visible_;
    update();
}

void LEDS::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.fillRect(rect(), back_color_);
    const QRectF r = QRectF(rect()).adjusted(1.5, 1.5, -1.5, -1.5);
    // Image1: the LED dark; Image2: the LED lit.
    const QColor base = image1_visible_ ? QColor(20, 90, 30) : QColor(40, 230, 70);
    QRadialGradient g(r.center() - QPointF(r.width() * 0.2, r.height() * 0.2), r.width() * 0.7);
    g.setColorAt(0, base.lighter(image1_visible_ ? 130 : 180));
    g.setColorAt(1, base);
    p.setPen(QPen(QColor(10, 10, 10), 1));
    p.setBrush(g);
    p.drawEllipse(r);
}

}  // namespace neva
