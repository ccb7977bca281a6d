#include "ui/ToolBarIcons.h"

#include <QPainter>
#include <QPainterPath>
#include <QtMath>
#include <initializer_list>
#include <utility>

namespace neva {

namespace {

// A closed outline through the given corners, filled with the painter's brush.
void draw_polygon(QPainter& p, std::initializer_list<QPointF> corners) {
    QPainterPath path;
    auto it = corners.begin();
    path.moveTo(*it);
    for (++it; it != corners.end(); ++it) path.lineTo(*it);
    path.closeSubpath();
    p.drawPath(path);
}

// A white sheet with lines of writing on it, each line running from x = 10 to its own end.
void draw_sheet(QPainter& p, const QRectF& sheet, std::initializer_list<std::pair<double, double>> lines) {
    p.setBrush(QColor(250, 250, 250));
    p.drawRect(sheet);
    for (const auto& [y, end] : lines) p.drawLine(QPointF(10, y), QPointF(end, y));
}

}  // namespace

QPixmap ToolBarIcons::pixmap(Kind kind, int size) {
    QPixmap pm(size, size);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 32.0, size / 32.0);
    const QPen outline(QColor(40, 40, 48), 1.4);
    p.setPen(outline);
    switch (kind) {
        case Open: {
            // A folder with its lid lifted.
            p.setBrush(QColor(222, 176, 64));
            draw_polygon(p, {{3, 8}, {12, 8}, {14, 11}, {27, 11}, {27, 26}, {3, 26}});
            p.setBrush(QColor(250, 214, 110));
            draw_polygon(p, {{3, 26}, {8, 15}, {31, 15}, {27, 26}});
            break;
        }
        case Save: {
            // A diskette.
            p.setBrush(QColor(52, 92, 160));
            p.drawRoundedRect(QRectF(4, 4, 24, 24), 2, 2);
            p.setBrush(QColor(235, 238, 245));
            p.drawRect(QRectF(9, 4, 14, 9));
            p.setBrush(QColor(52, 92, 160));
            p.drawRect(QRectF(18, 6, 3, 5));
            draw_sheet(p, QRectF(8, 17, 16, 11), {{21, 22}, {24, 22}});
            break;
        }
        case Print: {
            draw_sheet(p, QRectF(9, 3, 14, 10), {});  // paper in
            p.setBrush(QColor(120, 124, 134));
            p.drawRoundedRect(QRectF(3, 12, 26, 11), 2, 2);
            draw_sheet(p, QRectF(8, 19, 16, 10), {{23, 22}, {26, 19}});  // paper out
            p.setBrush(QColor(60, 200, 80));
            p.drawEllipse(QRectF(24, 14, 3, 3));
            break;
        }
        case ActualValues: {
            // A panel meter with its needle.
            p.setBrush(QColor(245, 245, 240));
            p.drawRoundedRect(QRectF(3, 5, 26, 22), 3, 3);
            QPen scale(QColor(40, 40, 48), 1.2);
            p.setPen(scale);
            p.drawArc(QRectF(7, 9, 18, 18), 30 * 16, 120 * 16);
            for (int i = 0; i <= 4; ++i) {
                const double a = qDegreesToRadians(150.0 - i * 30.0);
                p.drawLine(QPointF(16 + 9 * std::cos(a), 18 - 9 * std::sin(a)),
                           QPointF(16 + 7 * std::cos(a), 18 - 7 * std::sin(a)));
            }
            p.setPen(QPen(QColor(210, 30, 30), 1.8));
            p.drawLine(QPointF(16, 22), QPointF(22, 11));
            p.setPen(outline);
            p.setBrush(QColor(40, 40, 48));
            p.drawEllipse(QRectF(14.5, 20.5, 3, 3));
            break;
        }
        case Store: {
            // An arrow going down into the relay.
            p.setBrush(QColor(70, 78, 92));
            p.drawRoundedRect(QRectF(5, 18, 22, 11), 2, 2);
            p.setBrush(QColor(230, 40, 40));
            p.drawEllipse(QRectF(9, 22, 4, 4));
            p.setBrush(QColor(60, 200, 80));
            p.drawEllipse(QRectF(15, 22, 4, 4));
            p.setBrush(QColor(40, 150, 60));
            draw_polygon(p, {{13, 2}, {19, 2}, {19, 9}, {24, 9}, {16, 17}, {8, 9}, {13, 9}});
            break;
        }
        case Help: {
            p.setBrush(QColor(50, 110, 200));
            p.drawEllipse(QRectF(3, 3, 26, 26));
            QFont f;
            f.setBold(true);
            f.setPixelSize(20);
            p.setFont(f);
            p.setPen(Qt::white);
            p.drawText(QRectF(3, 3, 26, 26), Qt::AlignCenter, QStringLiteral("?"));
            break;
        }
    }
    return pm;
}

QIcon ToolBarIcons::icon(Kind kind) {
    QIcon icon;
    for (int size : {16, 24, 32, 48}) icon.addPixmap(pixmap(kind, size));
    return icon;
}

}  // namespace neva
