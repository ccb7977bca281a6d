#pragma once
// Pages laid out at fixed positions are as large as their frames need, which on a small
// screen or at a large scale factor is larger than the screen: the ground column and
// the close box ran off it with no way to reach them. Such a page gets its content put
// into a scroll area instead, and is made no larger than the room the screen offers.

#include <QRect>

class QWidget;

namespace neva {

// `available` is the screen's available geometry. True when the page now scrolls.
// Pages with a layout manage their own size and are left alone.
bool fit_to_screen(QWidget* page, const QRect& available);
// The same for the screen the main window `near` is on.
bool fit_to_screen(QWidget* page, const QWidget* near);

}  // namespace neva
