#pragma once
// "ACTUAL VALUES - Events": the relay's event record as a list of at most 20 rows
// (number, event, date and time), newest first. Communicating, the page asks the
// link for the record head every 1.5 s (the link then reads the events one by one)
// and lists the event texts the link has decoded; offline it lists the event texts
// saved with the loaded setpoint file. Clear erases the relay's record.

#include <QString>
#include <optional>
#include <string>
#include <vector>

#include "ui/WatchPage.h"

class QGroupBox;
class QPushButton;
class QTreeWidget;

namespace neva {

class Principal;

class AVPAGE4 : public WatchPage {
    Q_OBJECT
public:
    static constexpr const char* kTituloClear = "NEVA Clear Events";
    static constexpr int kFilas = 20;

    // One row: the event number, the event text, the date and time.
    struct Evento {
        QString id;
        QString descripcion;
        QString fecha;
        bool operator==(const Evento&) const = default;
    };

    explicit AVPAGE4(Principal& principal);
    ~AVPAGE4() override;

    void Actualiza_Valores();
    void Agregar_Eventos_ListView();
    // (Re)creates the three keyed columns.
    void Crear_Col();
    void Timer1_Timer();
    void Okey_Click();
    void Clear_Click();
    // The rows listed, as CSV (ISO 8601 time stamps beside the relay's own) or as
    // the JSON of `neva-cli events --json`, to a file the user chooses.
    bool export_events();
    std::string events_text(bool json) const;

    QGroupBox* Frame1 = nullptr;
    QTreeWidget* ListView1 = nullptr;
    QPushButton* Clear = nullptr;
    QPushButton* Okey = nullptr;
    QPushButton* Export = nullptr;

    // The rows shown, and how often the list has been rebuilt (for the tests that make
    // sure an unchanged record is left alone).
    std::vector<Evento> filas() const;
    int reconstrucciones() const { return reconstrucciones_; }
    // Number of the first event last listed while communicating.
    int ultimo_primer_evento() const { return primer_evento_; }

    // Splits an event text "number,event,date time" into its fields, trailing blanks
    // removed. False for a text without a comma.
    static bool separar(const std::string& texto, Evento& evento);

protected:
    bool eventFilter(QObject* o, QEvent* e) override;

private:
    // The rows the list should hold; nullopt leaves the list as it is.
    std::optional<std::vector<Evento>> eventos_en_linea();
    std::optional<std::vector<Evento>> eventos_guardados() const;
    void mostrar(const std::vector<Evento>& eventos);
    void ajustar_columnas();

    int primer_evento_ = 0;
    int reconstrucciones_ = 0;
};

}  // namespace neva
