#pragma once
// A blinking LED: two pictures that alternate on a timer while the program is
// communicating; when communication stops the blink stops too. Both pictures are
// drawn here. No window of the program places one yet; it is a reusable control.

#include <QColor>
#include <QTimer>
#include <QWidget>

#include "startup/SharedState.h"

namespace neva {

class LEDS : public QWidget {
    Q_OBJECT
public:
    explicit LEDS(const SharedState& state, QWidget* parent = nullptr);

    QColor BackColor() const { return back_color_; }
    void setBackColor(const QColor& c);
    // Milliseconds between blinks; 0 leaves the blink timer stopped.
    int Interval() const { return interval_; }
    void setInterval(int ms);
    // Whether the blink timer runs.
    bool Enabled() const { return enabled_; }
    void setBlinkEnabled(bool on);

    bool image1_visible() const { return image1_visible_; }
    bool image2_visible() const { return !image1_visible_; }

    // One blink tick (the timer calls it; public so that tests need not wait).
    void Tick();

    QSize sizeHint() const override { return QSize(16, 16); }

protected:
    void paintEvent(QPaintEvent*) override;

private:
    void apply_timer();

    const SharedState& state_;
    QTimer timer_;
    QColor back_color_;
    int interval_ = 0;
    bool enabled_ = true;
    bool image1_visible_ = true;
};

}  // namespace neva
