#include "ui/SETPAGE6.h"

#include <QFrame>
#include <QLabel>

#include "controls/Bits.h"

namespace neva {

SETPAGE6::SETPAGE6(AppContext& ctx, EnableMainWindow enable_main, QWidget* parent)
    : SetpointPage("SETPAGE6", ctx, std::move(enable_main), parent) {
    build();
}

void SETPAGE6::place_controls() {
    SetpointPage::place_controls();
    // Each timed delay row sits in a frame of its own, hidden with it.
    const char* const delays[] = {"Word_TresR1(0)", "Word_TresR1(2)"};
    for (int i = 0; i < 2; ++i) {
        const Row* r = row(QString::fromLatin1(delays[i]));
        if (!r) continue;
        QWidget* holder = r->label->parentWidget();
        auto* f = new QFrame(holder);
        f->setObjectName(QStringLiteral("TimedDelayFrame(%1)").arg(i));
        const QRect area = r->label->geometry().united(r->widget->geometry());
        f->setGeometry(area);
        for (QWidget* w : {static_cast<QWidget*>(r->label), r->widget}) {
            const QRect g = w->geometry().translated(-area.topLeft());
            w->setParent(f);
            w->setGeometry(g);
            w->show();  // a new parent hides a widget; it is shown with its frame
        }
        delay_frames_[i] = f;
    }
}

void SETPAGE6::bits_changed(const QString& name, Bits& control) {
    const int i = name == QLatin1String("Page6C(0)") ? 0 : name == QLatin1String("Page6C(1)") ? 1 : -1;
    if (i < 0 || !delay_frames_[i]) return;
    delay_frames_[i]->setVisible(control.ListIndex() == 0);
}

}  // namespace neva
