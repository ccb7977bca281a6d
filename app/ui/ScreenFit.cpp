#include "ui/ScreenFit.h"

#include <QGuiApplication>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>
#include <QWidget>

namespace neva {

namespace {
// What the window manager takes around a window: its frame and title bar.
constexpr int kFrameWidth = 16;
constexpr int kFrameHeight = 48;
}  // namespace

bool fit_to_screen(QWidget* page, const QRect& available) {
    if (!page) return false;
    if (page->findChild<QScrollArea*>(QStringLiteral("PageScroll"), Qt::FindDirectChildrenOnly)) return true;
    if (page->layout()) return false;
    // What the page's content needs; the size it was last shown at (the screen's width)
    // says nothing about that.
    const QSize need = page->minimumSize();
    const QSize room(std::max(200, available.width() - kFrameWidth), std::max(150, available.height() - kFrameHeight));
    if (need.width() <= room.width() && need.height() <= room.height()) return false;

    // Every child keeps its place, now on a content widget of the page's full size.
    auto* content = new QWidget;
    content->setObjectName(QStringLiteral("PageContent"));
    const QObjectList children = page->children();
    for (QObject* o : children) {
        auto* child = qobject_cast<QWidget*>(o);
        if (!child || child->isWindow()) continue;
        const bool shown = !child->isHidden();
        const QRect g = child->geometry();
        child->setParent(content);
        child->setGeometry(g);
        child->setVisible(shown);  // a new parent hides a widget
    }
    content->setFixedSize(need);
    auto* scroll = new QScrollArea(page);
    scroll->setObjectName(QStringLiteral("PageScroll"));
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidget(content);
    auto* lay = new QVBoxLayout(page);
    lay->setContentsMargins(0, 0, 0, 0);
    lay->addWidget(scroll);
    const QSize fits = need.boundedTo(room);
    page->setMinimumSize(std::min(fits.width(), 320), std::min(fits.height(), 240));
    page->setMaximumSize(need + QSize(scroll->verticalScrollBar()->sizeHint().width(),
                                      scroll->horizontalScrollBar()->sizeHint().height()));
    page->resize(fits);
    return true;
}

bool fit_to_screen(QWidget* page, const QWidget* near) {
    const QScreen* s = near && near->screen() ? near->screen() : QGuiApplication::primaryScreen();
    return s && fit_to_screen(page, s->availableGeometry());
}

}  // namespace neva
