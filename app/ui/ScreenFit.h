#pragma once
// A window larger than the screen it opens on ran off it with no way to reach its far
// side: at 1.5 times on 1280x900 the phase and ground page hid its whole ground column
// and its close box. Such a window gets its content put into a scroll area and is made
// no larger than the room the screen offers. A small window is also made wide enough to
// show its whole title, which a window manager otherwise cuts off.

#include <QObject>
#include <QRect>

class QString;
class QWidget;

namespace neva {

// `available` is the screen's available geometry. True when the page scrolls.
bool fit_to_screen(QWidget* page, const QRect& available);

// How wide a window must be for a title bar to show `title` whole, with the window's
// icon and buttons beside it, in the font of `w`.
int width_for_title(const QWidget* w, const QString& title);
// Widens `w` (never past the room of `available`) to show its title whole.
void fit_title(QWidget* w, const QRect& available);

// Installed once on the application: every window the program opens (pages, dialogs,
// tool windows) goes through fit_to_screen and fit_title each time it is shown.
class ScreenFitter : public QObject {
public:
    static void install();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    using QObject::QObject;
};

}  // namespace neva
