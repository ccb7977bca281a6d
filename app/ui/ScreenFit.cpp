#include "ui/ScreenFit.h"

#include <QApplication>
#include <QEvent>
#include <QLayout>
#include <QMainWindow>
#include <QMessageBox>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>
#include <QWidget>

#include <algorithm>

namespace neva {

namespace {
// What the window manager takes around a window: its frame and title bar.
constexpr int kFrameWidth = 16;
constexpr int kFrameHeight = 48;
// Beside a title: the window's icon and its minimise, maximise and close buttons.
constexpr int kTitleBarExtras = 140;

QSize room_on(const QRect& available) {
    return {std::max(200, available.width() - kFrameWidth), std::max(150, available.height() - kFrameHeight)};
}

// The children that are widgets of the page itself, not windows of their own.
QList<QWidget*> inner_widgets(QWidget* page) {
    QList<QWidget*> out;
    for (QObject* o : page->children())
        if (auto* child = qobject_cast<QWidget*>(o); child && !child->isWindow()) out.push_back(child);
    return out;
}

// The scroll area every fitted window gets (one name, so a window is fitted once).
QScrollArea* new_scroll(QWidget* parent) {
    auto* scroll = new QScrollArea(parent);
    scroll->setObjectName(QStringLiteral("PageScroll"));
    scroll->setFrameShape(QFrame::NoFrame);
    // Not a stop of its own for Tab: Tab goes from control to control and the area
    // scrolls to the one that has the focus.
    scroll->setFocusPolicy(Qt::NoFocus);
    return scroll;
}

// A page's content moves onto `content`, which the page now shows in a scroll area.
QScrollArea* scroll_page(QWidget* page, QWidget* content) {
    auto* scroll = new_scroll(page);
    auto* lay = new QVBoxLayout(page);
    lay->setContentsMargins(0, 0, 0, 0);
    lay->addWidget(scroll);
    scroll->setWidget(content);
    return scroll;
}

QSize scroll_bars(const QScrollArea* scroll) {
    return {scroll->verticalScrollBar()->sizeHint().width(), scroll->horizontalScrollBar()->sizeHint().height()};
}

// A page placed control by control: every child keeps its place, now on a content
// widget of the page's full size.
void wrap_placed(QWidget* page, const QSize& need, const QSize& room) {
    auto* content = new QWidget;
    content->setObjectName(QStringLiteral("PageContent"));
    for (QWidget* child : inner_widgets(page)) {
        const bool shown = !child->isHidden();
        const QRect g = child->geometry();
        child->setParent(content);
        child->setGeometry(g);
        child->setVisible(shown);  // a new parent hides a widget
    }
    content->setFixedSize(need);
    auto* scroll = scroll_page(page, content);
    const QSize fits = need.boundedTo(room);
    page->setMinimumSize(std::min(fits.width(), 320), std::min(fits.height(), 240));
    page->setMaximumSize(need + scroll_bars(scroll));
    page->resize(fits);
}

// A page with a layout: the layout moves, with the widgets it manages, onto the content
// widget, which grows with the window when there is room.
void wrap_laid_out(QWidget* page, const QSize& need, const QSize& room) {
    auto* content = new QWidget;
    content->setObjectName(QStringLiteral("PageContent"));
    const QList<QWidget*> loose = inner_widgets(page);
    const QSize wanted = page->sizeHint().expandedTo(need);
    content->setLayout(page->layout());  // takes the layout off the page, and its widgets
    for (QWidget* child : loose)
        if (child->parentWidget() == page) {
            const bool shown = !child->isHidden();
            child->setParent(content);
            child->setVisible(shown);
        }
    auto* scroll = scroll_page(page, content);
    scroll->setWidgetResizable(true);
    page->setMinimumSize(std::min(need.width(), std::min(room.width(), 320)),
                         std::min(need.height(), std::min(room.height(), 240)));
    page->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    page->resize((wanted + scroll_bars(scroll)).boundedTo(room));
}

bool fits(const QSize& size, const QSize& room) {
    return size.width() <= room.width() && size.height() <= room.height();
}

// The main window keeps its menus, tool bar and status bar; what it shows between them
// scrolls.
bool wrap_central(QMainWindow* main) {
    QWidget* central = main->takeCentralWidget();
    if (!central) return false;
    auto* scroll = new_scroll(main);
    scroll->setWidgetResizable(true);
    scroll->setWidget(central);
    main->setCentralWidget(scroll);
    return true;
}

const QRect available_near(const QWidget* w) {
    const QScreen* s = w && w->screen() ? w->screen() : QGuiApplication::primaryScreen();
    return s ? s->availableGeometry() : QRect();
}

}  // namespace

bool fit_to_screen(QWidget* page, const QRect& available) {
    if (!page) return false;
    const QSize room = room_on(available);
    bool scrolls = page->findChild<QScrollArea*>(QStringLiteral("PageScroll"), Qt::FindDirectChildrenOnly);
    if (!scrolls) {
        if (auto* main = qobject_cast<QMainWindow*>(page)) {
            scrolls = !fits(main->minimumSizeHint().expandedTo(main->minimumSize()), room) && wrap_central(main);
        } else if (QLayout* lay = page->layout()) {
            // Scroll areas and lists of their own scroll already: what the layout cannot
            // give up is its minimum.
            const QSize need = lay->totalMinimumSize().expandedTo(page->minimumSize());
            if ((scrolls = !fits(need, room))) wrap_laid_out(page, need, room);
        } else {
            // What the page's content needs; the size it was last shown at (the screen's
            // width) says nothing about that.
            const QSize need = page->minimumSize();
            if ((scrolls = !fits(need, room))) wrap_placed(page, need, room);
        }
    }
    // The minimum the window had with its old content holds until its layout is redone.
    if (scrolls && page->layout()) page->layout()->activate();
    // Pages size themselves from the screen's width and the main window's height, which
    // together can be more than the screen.
    if (!fits(page->size(), room)) page->resize(page->size().boundedTo(room));
    return scrolls;
}

int width_for_title(const QWidget* w, const QString& title) {
    return QFontMetrics(w->font()).horizontalAdvance(title) + kTitleBarExtras;
}

void fit_title(QWidget* w, const QRect& available) {
    if (!w || w->windowTitle().isEmpty()) return;
    const int want = std::min(width_for_title(w, w->windowTitle()), room_on(available).width());
    if (w->width() >= want) return;
    // A page of a fixed size gets the room at its right; its controls keep their places.
    if (w->maximumWidth() < want) w->setMaximumWidth(want);
    w->setMinimumWidth(std::max(w->minimumWidth(), want));
    w->resize(want, w->height());
}

void ScreenFitter::install() {
    static ScreenFitter* fitter = nullptr;
    if (fitter) return;
    fitter = new ScreenFitter(qApp);
    qApp->installEventFilter(fitter);
}

bool ScreenFitter::eventFilter(QObject* watched, QEvent* event) {
    // The show event comes before the window reaches the screen, after it took its size
    // (pages take theirs again each time they are loaded).
    if (event->type() != QEvent::Show || !watched->isWidgetType()) return false;
    auto* w = static_cast<QWidget*>(watched);
    if (!w->isWindow()) return false;
    const Qt::WindowType type = w->windowType();
    if (type != Qt::Window && type != Qt::Dialog) return false;  // menus, tips, pop-ups
    const QRect available = available_near(w->parentWidget() ? w->parentWidget()->window() : w);
    if (available.isEmpty()) return false;
    // Message boxes hold themselves open for their titles and size to their text.
    if (!qobject_cast<QMessageBox*>(w)) fit_to_screen(w, available);
    fit_title(w, available);
    return false;
}

}  // namespace neva
