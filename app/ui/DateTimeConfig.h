#pragma once
// "SETPOINTS - Date and Time": shows the relay's clock, read every 1.5 s while
// communicating, and sets it from a date picker and a time picker on STORE (the
// clock write, then the command that makes the relay take it).

#include <QString>

#include <cstdint>
#include <functional>
#include <optional>

#include "ui/WatchPage.h"

class QDateEdit;
class QGroupBox;
class QLabel;
class QPushButton;
class QTimeEdit;

namespace neva {

class Principal;

class DateTimeConfig : public WatchPage {
    Q_OBJECT
public:
    static constexpr const char* kTitulo = "NEVA Date and Time";

    explicit DateTimeConfig(Principal& principal);
    ~DateTimeConfig() override;

    // Activation: brings the relay's clock on screen while communicating.
    void Form_Activate();
    void Actualiza_Valores_de_Pantalla();
    void Timer1_Timer();
    void Okey_Click();
    void Store_Click();
    // Sets the relay clock to the computer's local time now (the same write as
    // STORE), and shows how far off the relay was before and is after.
    void SetNow_Click();

    bool cierre_pedido() const { return Cerrar_Pagina; }

    QGroupBox* Frame1 = nullptr;
    QDateEdit* DateSys = nullptr;
    QTimeEdit* TimeSys = nullptr;
    QPushButton* Store = nullptr;
    QLabel* lblFecha = nullptr;
    QLabel* lblHora = nullptr;
    QPushButton* Okey = nullptr;
    QPushButton* SetNow = nullptr;
    QLabel* lblDiferencia = nullptr;  // the relay clock against the computer's

protected:
    void changeEvent(QEvent* e) override;
    void keyPressEvent(class QKeyEvent* e) override;

private:
    // Both ways of setting the clock: only while communicating, and only on Yes.
    bool confirm_store();
    // The clock write both share: the time, then the command that makes the relay take it.
    void escribir_reloj(int dia, int mes, int anio, int hora, int minuto, int segundo);
    // Every answered clock read updates the difference; a setting in progress waits
    // for the command that applies it, then for the read after it.
    void exchange_ended(int accion, bool valid);
    enum class Ajuste { None, Writing, Reading };
    Ajuste ajuste_ = Ajuste::None;
    QString antes_;
    std::optional<std::int64_t> diferencia_;
    std::function<void(bool)> previous_completion_;
};

}  // namespace neva
