#pragma once
// The breaker status display: a relay front with eleven lamps (trip, alarm, in
// service, breaker closed / open / earthed, switch, and the pick-ups of 51, 50, 51N,
// 50N). Setting a property only stores the value; the lamps change on Actualizar,
// so the main window can assign all eleven values and then repaint once.
// Everything is drawn here with QPainter.

#include <QWidget>
#include <array>
#include <cstdint>

namespace neva {

class UserControl1 : public QWidget {
    Q_OBJECT
public:
    // In the order in which Actualizar walks them.
    enum Indicador {
        kTrip, kAlarm, kService, kCerrado, kAbierto, kSwitch, kEarthBreaker,
        kPickUpI51, kPickUpI50, kPickUpIo51, kPickUpIo50, kIndicadores
    };

    explicit UserControl1(QWidget* parent = nullptr);

    std::uint8_t Trip() const { return valor_[kTrip]; }
    void setTrip(std::uint8_t v) { valor_[kTrip] = v; }
    std::uint8_t Alarm() const { return valor_[kAlarm]; }
    void setAlarm(std::uint8_t v) { valor_[kAlarm] = v; }
    std::uint8_t Service() const { return valor_[kService]; }
    void setService(std::uint8_t v) { valor_[kService] = v; }
    std::uint8_t Cerrado() const { return valor_[kCerrado]; }
    void setCerrado(std::uint8_t v) { valor_[kCerrado] = v; }
    std::uint8_t Abierto() const { return valor_[kAbierto]; }
    void setAbierto(std::uint8_t v) { valor_[kAbierto] = v; }
    std::uint8_t Switch() const { return valor_[kSwitch]; }
    void setSwitch(std::uint8_t v) { valor_[kSwitch] = v; }
    std::uint8_t EarthBreaker() const { return valor_[kEarthBreaker]; }
    void setEarthBreaker(std::uint8_t v) { valor_[kEarthBreaker] = v; }
    std::uint8_t PickUpI51() const { return valor_[kPickUpI51]; }
    void setPickUpI51(std::uint8_t v) { valor_[kPickUpI51] = v; }
    std::uint8_t PickUpI50() const { return valor_[kPickUpI50]; }
    void setPickUpI50(std::uint8_t v) { valor_[kPickUpI50] = v; }
    std::uint8_t PickUpIo51() const { return valor_[kPickUpIo51]; }
    void setPickUpIo51(std::uint8_t v) { valor_[kPickUpIo51] = v; }
    std::uint8_t PickUpIo50() const { return valor_[kPickUpIo50]; }
    void setPickUpIo50(std::uint8_t v) { valor_[kPickUpIo50] = v; }

    std::uint8_t valor(Indicador i) const { return valor_[i]; }
    void set_valor(Indicador i, std::uint8_t v) { valor_[i] = v; }

    // Every lamp shows its inactive picture.
    void Inicializar();
    // Each lamp shows its active picture when its value is nonzero.
    void Actualizar();
    // All lamps inactive when communication stops; the values are kept.
    void Desactivar();

    // Which picture of a lamp is showing (for tests and printing).
    bool lampara_activa(Indicador i) const { return activa_[i]; }
    static const char* rotulo(Indicador i);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent*) override;

private:
    std::array<std::uint8_t, kIndicadores> valor_{};
    std::array<bool, kIndicadores> activa_{};
};

}  // namespace neva
