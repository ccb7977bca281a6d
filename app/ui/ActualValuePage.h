#pragma once
// What the three actual value pages (metering, maintenance data, last trip) share:
// a frame of value rows, each a caption, a value label (LblMed) and for currents a
// unit label (LblUni); a polling timer that asks the relay for the page's block on
// channel 1 while communicating; the refresh from the link's decoded values; and
// OK, which never closes the page between queuing a poll and the refresh after it.

#include <QString>
#include <vector>

#include "ui/WatchPage.h"

class QGroupBox;
class QLabel;
class QHBoxLayout;
class QPushButton;

namespace neva {

class Principal;

class ActualValuePage : public WatchPage {
    Q_OBJECT
public:
    // One value row of a page.
    struct Fila {
        const char* caption;
        int posicion;    // position in the link's decoded values
        bool corriente;  // auto-ranged current with a unit label
    };
    struct Definicion {
        const char* nombre;      // form name
        const char* titulo;      // window caption
        const char* marco;       // frame caption
        int bloque;              // block the link decodes for the page
        int accion;              // poll action
        int intervalo_ms;        // poll interval
        bool lectura_inmediata;  // queue and tick once at load (metering page)
        std::vector<Fila> filas;
    };

    static constexpr const char* kSinValor = "###.##";
    static constexpr const char* kSinUnidad = "###";

    ~ActualValuePage() override;

    // Decodes the page's block and writes every label whose text changed.
    void Actualiza_Valores();
    // The polling timer's tick.
    void Timer1_Timer();
    // OK: offline (or with no poll running) the page closes at once; while polling it
    // closes at the next tick.
    void Okey_Click();
    // The values as the page shows them, with the time, as CSV or JSON, to a file the
    // user chooses.
    bool export_values();
    std::string values_text(bool json) const;

    // Labels by their index on the form; LblUni is null where a row shows no unit.
    std::vector<QLabel*> LblMed;
    std::vector<QLabel*> LblUni;
    QGroupBox* Frame1 = nullptr;
    QPushButton* Okey = nullptr;
    QPushButton* Export = nullptr;

    const Definicion& definicion() const { return def_; }

protected:
    ActualValuePage(Definicion def, Principal& principal);

    // The page load. Each page calls it from its constructor once its own buttons exist.
    void Form_Load();
    // Row of buttons under the frame; pages put theirs left of OK.
    void agregar_boton(QPushButton* boton);

private:
    Definicion def_;
    QHBoxLayout* botones_ = nullptr;
};

}  // namespace neva
