#include "ui/frmSplash.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>

#include "startup/Arranque.h"

namespace neva {

QPixmap neva_logo(int size) {
    QPixmap pm(size, size);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 64.0, size / 64.0);
    p.setPen(QPen(QColor(20, 30, 50), 2));
    p.setBrush(QColor(40, 70, 120));
    p.drawRoundedRect(QRectF(6, 4, 52, 56), 6, 6);
    p.setBrush(QColor(210, 220, 235));
    p.drawRect(QRectF(12, 10, 40, 16));  // display
    p.setPen(QPen(QColor(40, 70, 120), 2.5));
    // A trip curve on the display: inverse time, steep then flat.
    QPainterPath curve;
    curve.moveTo(15, 12);
    curve.cubicTo(18, 22, 26, 23, 49, 24);
    p.setBrush(Qt::NoBrush);
    p.drawPath(curve);
    const QColor lamps[3] = {QColor(230, 40, 40), QColor(255, 170, 0), QColor(40, 200, 60)};
    for (int i = 0; i < 3; ++i) {
        p.setPen(QPen(QColor(10, 10, 10), 1));
        p.setBrush(lamps[i]);
        p.drawEllipse(QRectF(14 + i * 13, 34, 9, 9));
    }
    p.setBrush(QColor(150, 160, 175));
    p.drawRect(QRectF(14, 49, 36, 5));
    return pm;
}

frmSplash::frmSplash(QWidget* parent) : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint) {
    setObjectName("frmSplash");
    setWindowTitle(QStringLiteral("NEVA Setup 2.0"));
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(4, 4, 4, 4);
    Frame1 = new QFrame(this);
    Frame1->setFrameShape(QFrame::Box);
    Frame1->setLineWidth(2);
    outer->addWidget(Frame1);

    QFont arial(QStringLiteral("Arial"));
    auto label = [&](const QString& text, int points, bool bold) {
        auto* l = new QLabel(text, Frame1);
        QFont f = arial;
        f.setPointSize(points);
        f.setBold(bold);
        l->setFont(f);
        return l;
    };
    lblProductName = label(QStringLiteral("NEVA"), 32, true);
    lblPlatform = label(QStringLiteral("For Windows"), 14, false);
    lblVersion = label(QStringLiteral("Version 2.0"), 12, false);
    lblNotice = label(QStringLiteral("Setup and monitoring of the NEVA200 feeder protection relay."), 9, false);
    lblNotice->setWordWrap(true);
    imgLogo = new QLabel(Frame1);
    imgLogo->setPixmap(neva_logo(96));

    // Load: the version comes from the build, not from a design text.
    lblVersion->setText(QString::fromStdString("Version " + Arranque::version_programa()));

    auto* row = new QHBoxLayout(Frame1);
    row->setContentsMargins(24, 24, 24, 24);
    row->setSpacing(24);
    row->addWidget(imgLogo, 0, Qt::AlignTop);
    auto* texts = new QVBoxLayout;
    texts->addWidget(lblProductName);
    texts->addWidget(lblPlatform);
    texts->addSpacing(12);
    texts->addWidget(lblVersion);
    texts->addStretch(1);
    texts->addWidget(lblNotice);
    row->addLayout(texts, 1);
    setFixedSize(480, 260);
}

void frmSplash::keyPressEvent(QKeyEvent*) {
    cerrado_por_usuario_ = true;
    close();
}

void frmSplash::mousePressEvent(QMouseEvent*) {
    cerrado_por_usuario_ = true;
    close();
}

}  // namespace neva
