#include "controls/UserControl1.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

namespace neva {

namespace {

// The front plate is laid out on a 3900 x 3915 grid (the relay drawing's units);
// the lamps stand in four columns and three rows near the bottom of it.
constexpr double kAncho = 3900.0, kAlto = 3915.0;
constexpr double kLamparaAncho = 225.0, kLamparaAlto = 210.0;

struct Posicion {
    double izquierda, arriba;
};

constexpr Posicion kPosiciones[UserControl1::kIndicadores] = {
    {435, 1635},   // Trip
    {435, 1905},   // Alarm
    {435, 2175},   // Service
    {1170, 1635},  // Cerrado
    {1170, 1905},  // Abierto
    {1935, 2175},  // Switch
    {1170, 2175},  // EarthBreaker
    {1935, 1635},  // PickUpI51
    {1935, 1905},  // PickUpI50
    {2760, 1635},  // PickUpIo51
    {2760, 1905},  // PickUpIo50
};

// Lit colours: red for trip and a closed breaker (live), green for open and in
// service (safe), amber for alarms and pick-ups, as on the relay's own front.
const QColor kEncendido[UserControl1::kIndicadores] = {
    QColor(230, 30, 30),   QColor(255, 170, 0), QColor(40, 200, 60),  QColor(230, 30, 30),
    QColor(40, 200, 60),   QColor(60, 140, 255), QColor(255, 220, 40), QColor(255, 170, 0),
    QColor(255, 170, 0),   QColor(255, 170, 0), QColor(255, 170, 0),
};

}  // namespace

const char* UserControl1::rotulo(Indicador i) {
    static const char* const kRotulos[kIndicadores] = {"TRIP", "ALARM", "SERVICE", "CLOSED", "OPEN",
                                                       "SWITCH", "EARTHED", "51",  "50",     "51N", "50N"};
    return kRotulos[i];
}

UserControl1::UserControl1(QWidget* parent) : QWidget(parent) {
    // Before the first status tick every lamp is dark.
    Inicializar();
}

QSize UserControl1::sizeHint() const { return QSize(390, 392); }
QSize UserControl1::minimumSizeHint() const { return QSize(260, 261); }

void UserControl1::Inicializar() {
    activa_.fill(false);
    update();
}

void UserControl1::Actualizar() {
    // Called twice a second while communicating; the front is drawn again only when
    // a lamp changes, which keeps a watching program nearly idle.
    bool cambio = false;
    for (int i = 0; i < kIndicadores; ++i) {
        const bool a = valor_[i] != 0;
        cambio = cambio || a != activa_[i];
        activa_[i] = a;
    }
    if (cambio) update();
}

void UserControl1::Desactivar() { Inicializar(); }

void UserControl1::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const double sx = width() / kAncho, sy = height() / kAlto;
    auto rect = [&](double x, double y, double w, double h) { return QRectF(x * sx, y * sy, w * sx, h * sy); };

    // The front plate (Image1) with its frame (Shape1).
    QLinearGradient fondo(0, 0, 0, height());
    fondo.setColorAt(0, QColor(70, 78, 92));
    fondo.setColorAt(1, QColor(38, 42, 52));
    p.setPen(QPen(QColor(20, 20, 24), 2));
    p.setBrush(fondo);
    p.drawRoundedRect(rect(30, 30, kAncho - 60, kAlto - 60), 8, 8);

    // Name plate.
    QFont titulo = font();
    titulo.setBold(true);
    titulo.setPixelSize(std::max(10, int(260 * sy)));
    p.setFont(titulo);
    p.setPen(QColor(235, 235, 240));
    p.drawText(rect(200, 150, 3500, 330), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("NEVA200"));
    QFont sub = font();
    sub.setPixelSize(std::max(7, int(150 * sy)));
    p.setFont(sub);
    p.setPen(QColor(190, 195, 205));
    p.drawText(rect(200, 470, 3500, 220), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("FEEDER PROTECTION RELAY"));

    // A small single-line mimic of the feeder: bus bar, breaker, cable to the load.
    // The breaker square is filled when the lamps say the breaker is closed.
    p.setPen(QPen(QColor(210, 210, 215), std::max(1.5, 40 * sx)));
    p.drawLine(QPointF(400 * sx, 900 * sy), QPointF(3500 * sx, 900 * sy));    // bus bar
    p.drawLine(QPointF(1950 * sx, 900 * sy), QPointF(1950 * sx, 1050 * sy));  // drop to the breaker
    p.drawLine(QPointF(1950 * sx, 1350 * sy), QPointF(1950 * sx, 1500 * sy)); // feeder out
    p.setBrush(activa_[kCerrado] ? kEncendido[kCerrado] : activa_[kAbierto] ? kEncendido[kAbierto]
                                                                              : QColor(70, 78, 92));
    p.drawRect(rect(1800, 1050, 300, 300));

    // Keypad and model line under the lamps.
    p.setPen(QPen(QColor(20, 20, 24), 1));
    for (int k = 0; k < 4; ++k) {
        p.setBrush(QColor(120, 128, 142));
        p.drawRoundedRect(rect(700 + k * 650, 2850, 450, 260), 4, 4);
    }
    p.setPen(QColor(225, 228, 235));
    QFont tecla = font();
    tecla.setPixelSize(std::max(7, int(130 * sy)));
    p.setFont(tecla);
    const char* const kTeclas[4] = {"RESET", "<", ">", "ENTER"};
    for (int k = 0; k < 4; ++k)
        p.drawText(rect(700 + k * 650, 2850, 450, 260), Qt::AlignCenter, QString::fromLatin1(kTeclas[k]));
    p.setPen(QColor(150, 156, 168));
    p.drawText(rect(200, 3350, 3500, 250), Qt::AlignHCenter | Qt::AlignVCenter,
               QStringLiteral("50 / 51  -  50N / 51N  -  BREAKER SUPERVISION"));

    // Lamp area.
    p.setPen(QPen(QColor(110, 118, 132), 1));
    p.setBrush(QColor(28, 31, 38));
    p.drawRoundedRect(rect(250, 1560, 3400, 1000), 6, 6);

    // The labels share the gap between a lamp and the next column: the font is the
    // largest that fits the longest label there.
    QFont etiqueta = font();
    int px = std::max(7, int(115 * sy));
    for (; px > 6; --px) {
        etiqueta.setPixelSize(px);
        if (QFontMetricsF(etiqueta).horizontalAdvance(QStringLiteral("SERVICE")) <= 430 * sx) break;
    }
    p.setFont(etiqueta);
    for (int i = 0; i < kIndicadores; ++i) {
        const auto& pos = kPosiciones[i];
        // The active picture of a lamp sits 15 units lower than the inactive one.
        const double arriba = pos.arriba + (activa_[i] ? 15 : 0);
        const QRectF r = rect(pos.izquierda, arriba, kLamparaAncho, kLamparaAlto);
        QRadialGradient g(r.center() - QPointF(r.width() * 0.15, r.height() * 0.15), r.width() * 0.6);
        if (activa_[i]) {
            g.setColorAt(0, kEncendido[i].lighter(170));
            g.setColorAt(1, kEncendido[i]);
        } else {
            g.setColorAt(0, QColor(95, 95, 100));
            g.setColorAt(1, QColor(45, 45, 50));
        }
        p.setPen(QPen(QColor(15, 15, 18), 1));
        p.setBrush(g);
        p.drawEllipse(r);
        p.setPen(activa_[i] ? QColor(245, 245, 245) : QColor(160, 165, 175));
        p.drawText(rect(pos.izquierda + kLamparaAncho + 60, pos.arriba - 20, 600, kLamparaAlto + 40),
                   Qt::AlignLeft | Qt::AlignVCenter, QString::fromLatin1(rotulo(static_cast<Indicador>(i))));
    }
}

}  // namespace neva
