#pragma once
// The main window: menus, tool bar, the six-panel status bar, the breaker status
// display and the five timers of the link. It works offline (setpoints against the
// scratch memory and files) or communicating (pages talk to the relay through the
// link), as the shared flag En_Linea says.
//
// Pages and dialogs made elsewhere plug in through registrar_pagina(): the window
// keeps one shared instance of each, created on first use, and shows it modally.
// A page reaches the program through contexto() (state, images, link, messages,
// files) and disables the window with habilitar(false) while it waits for the relay.

#include <QMainWindow>
#include <QPointer>
#include <array>
#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "compare/SetpointSource.h"
#include "files/Manejo_de_Archivos.h"
#include "ui/AppContext.h"

class QAction;
class QLabel;
class QMenu;
class QPrinter;
class QToolBar;

namespace neva {

class Comunicacion;
class LineMonitorWindow;
class Propiedades;
class UserControl1;
class frmAbout;

// The pages the menus open.
enum class Pagina {
    SETPAGE2,        // "S&ystem Setup"
    SETPAGE6,        // "&Phase and Ground Protections "
    SETPAGE3,        // "&Output Relays"
    SETPAGE4,        // "&Digital Inputs"
    SETPAGE9,        // "E&vent Recorder"
    DateTimeConfig,  // "&Date and Time System"
    AVPAGE1,         // "&Metering Data" (and tool bar button 4, "All Actual Values")
    AVPAGE2,         // "Maintenance Data"
    AVPAGE5,         // "Last &Trip Data"
    AVPAGE4,         // "&Events"
};

struct RegistroPagina {
    // Builds the page (its load); parent it to the window given. Called once for the
    // shared instance, and once more for every page a print run loads and unloads.
    std::function<QWidget*(class Principal&)> crear;
    // Optional: brings a freshly loaded page up to date before it is printed.
    std::function<void(QWidget*)> refrescar;
};

class Principal : public QMainWindow {
    Q_OBJECT
public:
    static constexpr const char* kTitulo = "NEVA Setup 2.0";
    static constexpr const char* kNoComunicando = "Not Communicating....";
    static constexpr const char* kComunicando = "Comunicating...";
    static constexpr const char* kPreguntaGuardar = "SetPoints Will be Lost, Do you want to save it?";
    static constexpr const char* kSalida = " Are You Sure ?";
    // The second line of the exit question when there is unsaved work.
    static constexpr const char* kCambiosPerdidos = "Setpoint changes that were not saved to a file will be lost.";
    // Asked in external mode before New or Load end the connection.
    static constexpr const char* kFinEnlaceExterno =
        "This ends the communication with the relay. It cannot be started again from this window, "
        "because another program started NEVA Setup. Do you want to go on?";
    static constexpr const char* kGuiaNoEncontrada =
        "The user guide was not found.\nReinstall NEVA Setup, or open docs/guide/index.html of its source.";
    static constexpr const char* kGuiaNoAbierta = "The user guide could not be opened in a browser.\n";
    static constexpr const char* kLeyendoEventos = "Reading the event record from the relay...";

    explicit Principal(AppContext& ctx, QWidget* parent = nullptr);
    ~Principal() override;

    AppContext& contexto() { return ctx_; }

    // ---- Pages ----
    void registrar_pagina(Pagina p, RegistroPagina r);
    bool pagina_registrada(Pagina p) const { return paginas_.count(p) != 0; }
    // The shared instance, created on first use; null when no page is registered.
    QWidget* pagina(Pagina p);
    // Shows the shared instance modally (not blocking). False when none is registered.
    bool abrir_pagina(Pagina p);

    // ---- Procedures of the window ----
    void Form_Load();
    void Form_Activate();
    void Form_Unload();
    void Actualiza_Valores();
    void ResetTiempo();
    void Timer2_Timer();

    void Nuevo_Click();
    void Load_s_Click();
    void Save_s_Click();
    void Send_Click();
    void Reset_Relay_Click();
    void Salida_Click();
    void Comunica_Click();
    void RELAY_P_Click();
    void About_Click();
    // Tools > Line Monitor: every frame on the relay line (not modal).
    void Monitor_Click();
    LineMonitorWindow& monitor_linea();
    // Help (tool bar, F1): the user guide in the desktop's browser.
    void Ayuda_Click();
    // The guide's first page that Help opens; empty when none is installed or built.
    QString ruta_guia() const;
    void P_Setpoints_Click();
    void P_Actual_Click();
    void P_Events_Click();
    // The link reports that the event reads queued for a print have completed.
    void NEVA_ReadyEvents();

    // The window's enabled state as pages and dialogs see it: menus, tool bar and the
    // display. (The window itself stays enabled so that the modeless connection
    // dialog, a child of it, stays usable.)
    void habilitar(bool on);
    bool habilitada() const;

    // Status bar panel n (1..6).
    QString panel(int n) const;
    void set_panel(int n, const QString& text);
    // Caption and panels 5 and 6 after a setpoint file load; open pages show the
    // loaded values at once.
    void aplicar_carga(const LoadResult& r);
    // The caption; a marker follows it while there is unsaved work.
    void poner_titulo(const QString& titulo);
    void mostrar_modificado();
    // Makes the setpoints of a source (a snapshot of the settings history) the
    // working setpoints, as a file load does: the questions first (unsaved work,
    // ending an external connection), then offline with both images holding the
    // source's blocks, its relay name and firmware taken over, and the work unsaved,
    // as no file holds it. False when the user cancelled.
    bool take_over_setpoints(const SetpointSource& source);
    // Before the working setpoints are replaced: with unsaved work asks
    // kPreguntaGuardar, and Yes saves first. False when the user cancelled (at the
    // question or in the save dialog) or the save failed: the caller changes nothing.
    bool guardar_cambios_antes();

    Comunicacion& comunicacion();
    Propiedades& propiedades();
    UserControl1* UserControl11 = nullptr;

    // ---- Controls, under their names ----
    QMenu* Archivo = nullptr;
    QAction* Nuevo = nullptr;
    QAction* Load_s = nullptr;
    QAction* Save_s = nullptr;
    QAction* Send = nullptr;
    QMenu* Imprimir = nullptr;
    QAction* P_Setpoints = nullptr;
    QAction* P_Actual = nullptr;
    QAction* P_Events = nullptr;
    QAction* Salida = nullptr;
    QMenu* SetPoints = nullptr;
    QAction* Set_page2 = nullptr;
    QAction* MnuPhProtec = nullptr;
    QAction* mnuOutputRel = nullptr;
    QAction* mnuInputs = nullptr;
    QAction* mnu_Event = nullptr;
    QAction* mnuDateTime = nullptr;
    QAction* Reset_Relay = nullptr;
    QMenu* Actual_Values = nullptr;
    QAction* AV_page1 = nullptr;
    QAction* AV_page2 = nullptr;
    QAction* AV_page3 = nullptr;
    QAction* AV_page4 = nullptr;
    QMenu* Setup = nullptr;
    QAction* Comunica = nullptr;
    QAction* RELAY_P = nullptr;
    QAction* About = nullptr;
    QMenu* tools_menu = nullptr;  // the line monitor, in both start modes
    QAction* line_monitor_action = nullptr;
    QToolBar* Toolbar1 = nullptr;
    std::array<QAction*, 6> botones{};  // tool bar buttons 1..6 at index 0..5
    std::array<QLabel*, 6> StatusBar1{};

    // ---- Hooks ----
    // Ends the program (QApplication::quit in the program; tests record it).
    std::function<void()> terminar;
    // The printer dialog; returns false when cancelled. Tests set a PDF printer here.
    std::function<bool(QPrinter&)> dialogo_impresora;
    // Opens a file in the desktop's browser; tests see the guide's path here instead.
    std::function<bool(const QString&)> abrir_en_navegador;
    // Pause between queuing the reads of a setpoints print and the printer dialog, so
    // the first answers can land (1 s in the program).
    int espera_impresion_ms = 1000;
    // The about box, created on first use.
    frmAbout* about_box();
    bool terminado() const { return terminado_; }

protected:
    void closeEvent(QCloseEvent* e) override;
    void changeEvent(QEvent* e) override;

private:
    void crear_menus();
    void crear_barra();
    void crear_estado();
    void guardar_marca(std::int16_t valor);
    void cerrar_puerto();
    void fin_del_programa();
    // The end of a Save while communicating: writes the file once the relay's event
    // record has been read (`leido`), or says why nothing was written.
    void terminar_guardado(const std::string& ruta, bool leido);
    bool preparar_impresora();
    // External mode while the link runs: asks before an action ends the connection,
    // which the user cannot start again (Setup is hidden). True to go on.
    bool seguir_sin_enlace();
    // Load (menu and tool bar): the questions, then the open dialog and the load.
    bool cargar_archivo();
    void guardar_como();
    void imprimir_paginas(const std::vector<Pagina>& paginas);

    AppContext& ctx_;
    std::map<Pagina, RegistroPagina> paginas_;
    std::map<Pagina, QPointer<QWidget>> instancias_;  // cleared by Qt when a page is deleted
    std::unique_ptr<Comunicacion> comunicacion_;
    std::unique_ptr<Propiedades> propiedades_;
    std::unique_ptr<LineMonitorWindow> monitor_linea_;
    frmAbout* about_ = nullptr;
    std::unique_ptr<QPrinter> impresora_;
    bool descargada_ = false;
    bool terminado_ = false;
};

}  // namespace neva
