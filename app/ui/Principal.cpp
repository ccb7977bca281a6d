#include "ui/Principal.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QUrl>
#include <QEventLoop>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenuBar>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QProgressDialog>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <cmath>

#include "connection/Comunicacion.h"
#include "connection/Propiedades.h"
#include "controls/UserControl1.h"
#include "image/Manejo_de_Datos.h"
#include "link/Valor.h"
#include "services/LauncherMarker.h"
#include "ui/LineMonitorWindow.h"
#include "startup/ProgramFolders.h"
#include "ui/ScreenFit.h"
#include "ui/ToolBarIcons.h"
#include "ui/frmAbout.h"

namespace neva {

namespace {

QString q(const std::string& s) { return QString::fromStdString(s); }

// The numeric value of the leading number of a text, as the address box reads it:
// blanks skipped, then an optional sign, digits and a decimal part ("12abc" -> 12,
// "abc" -> 0). nullopt when there is no number at all.
std::optional<double> valor_inicial(const std::string& texto) {
    std::size_t i = 0;
    while (i < texto.size() && (texto[i] == ' ' || texto[i] == '\t')) ++i;
    std::string num;
    if (i < texto.size() && (texto[i] == '+' || texto[i] == '-')) num += texto[i++];
    bool digitos = false;
    while (i < texto.size() && std::isdigit(static_cast<unsigned char>(texto[i]))) {
        num += texto[i++];
        digitos = true;
    }
    if (i < texto.size() && texto[i] == '.') {
        num += texto[i++];
        while (i < texto.size() && std::isdigit(static_cast<unsigned char>(texto[i]))) {
            num += texto[i++];
            digitos = true;
        }
    }
    if (!digitos) return std::nullopt;
    // Not strtod: under the user's locale it may stop at the ".".
    return Valor(num).number();
}

}  // namespace

Principal::Principal(AppContext& ctx, QWidget* parent) : QMainWindow(parent), ctx_(ctx) {
    setObjectName("Principal");
    poner_titulo(kTitulo);
    // Every page and dialog opened from here fits the screen and shows its whole title.
    ScreenFitter::install();

    // The breaker status display fills the window.
    auto* centro = new QWidget(this);
    auto* fila = new QHBoxLayout(centro);
    UserControl11 = new UserControl1(centro);
    UserControl11->setObjectName("UserControl11");
    // The front keeps its proportions; the window's extra room goes around it.
    UserControl11->setFixedSize(UserControl11->sizeHint());
    fila->addStretch(1);
    fila->addWidget(UserControl11, 0, Qt::AlignVCenter);
    fila->addStretch(1);
    setCentralWidget(centro);

    crear_menus();
    crear_barra();
    crear_estado();

    terminar = [] { QCoreApplication::quit(); };
    dialogo_impresora = [this](QPrinter& printer) {
        QPrintDialog dialogo(&printer, this);
        // No "selection" range: the run prints whole pages.
        dialogo.setOption(QAbstractPrintDialog::PrintSelection, false);
        return dialogo.exec() == QDialog::Accepted;
    };

    // The link's status tick and error path land on this window.
    auto& link = ctx_.link();
    link.Timer2().on_tick = [this] { Timer2_Timer(); };
    link.on_offline = [this] {
        // The link has gone offline on an error: dark lamps and the offline status
        // while " Communication Error..." is up, not the last live picture.
        ctx_.link().Timer2().set_enabled(false);
        UserControl11->Desactivar();
        set_panel(6, kNoComunicando);
        if (comunicacion_) comunicacion_->Label6->setText(Comunicacion::kNoEstablecida);
    };
    link.on_disconnect = [this] { comunicacion().Command2_Click(); };
    link.on_ready_events = [this] { NEVA_ReadyEvents(); };
    resize(700, 560);
}

Principal::~Principal() {
    auto& link = ctx_.link();
    link.Timer2().on_tick = nullptr;
    link.on_offline = nullptr;
    link.on_disconnect = nullptr;
    link.on_ready_events = nullptr;
}

void Principal::crear_menus() {
    auto accion = [this](QMenu* menu, const char* texto, const char* nombre, void (Principal::*slot)()) {
        QAction* a = menu->addAction(QString::fromUtf8(texto));
        a->setObjectName(nombre);
        if (slot) connect(a, &QAction::triggered, this, slot);
        return a;
    };

    Archivo = menuBar()->addMenu(QStringLiteral("&File"));
    Archivo->setObjectName("Archivo");
    Nuevo = accion(Archivo, "&New", "Nuevo", &Principal::Nuevo_Click);
    Nuevo->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_N));
    Archivo->addSeparator();
    Load_s = accion(Archivo, "&Load", "Load_s", &Principal::Load_s_Click);
    Load_s->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_L));
    Save_s = accion(Archivo, "&Save", "Save_s", &Principal::Save_s_Click);
    Save_s->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    // Sending a whole file and printing are complete but stay out of the user's reach.
    Send = accion(Archivo, "Send SetPoints To &Relay", "Send", &Principal::Send_Click);
    Send->setEnabled(false);
    Imprimir = Archivo->addMenu(QStringLiteral("Print"));
    Imprimir->setObjectName("Imprimir");
    P_Setpoints = accion(Imprimir, "&SetPoints", "P_Setpoints", &Principal::P_Setpoints_Click);
    P_Actual = accion(Imprimir, "Actual &Values", "P_Actual", &Principal::P_Actual_Click);
    P_Events = accion(Imprimir, "&Events", "P_Events", &Principal::P_Events_Click);
    P_Events->setEnabled(false);
    Imprimir->menuAction()->setEnabled(false);
    Archivo->addSeparator();
    Salida = accion(Archivo, "&Exit", "Salida", &Principal::Salida_Click);

    SetPoints = menuBar()->addMenu(QStringLiteral("&SetPoints"));
    SetPoints->setObjectName("SetPoints");
    Set_page2 = accion(SetPoints, "S&ystem Setup", "Set_page2", nullptr);
    MnuPhProtec = accion(SetPoints, "&Phase and Ground Protections ", "MnuPhProtec", nullptr);
    mnuOutputRel = accion(SetPoints, "&Output Relays", "mnuOutputRel", nullptr);
    mnuInputs = accion(SetPoints, "&Digital Inputs", "mnuInputs", nullptr);
    mnu_Event = accion(SetPoints, "E&vent Recorder", "mnu_Event", nullptr);
    mnuDateTime = accion(SetPoints, "&Date and Time System", "mnuDateTime", nullptr);
    SetPoints->addSeparator();
    Reset_Relay = accion(SetPoints, "&Reset Relay", "Reset_Relay", &Principal::Reset_Relay_Click);

    Actual_Values = menuBar()->addMenu(QStringLiteral("Actual &Values"));
    Actual_Values->setObjectName("Actual_Values");
    AV_page1 = accion(Actual_Values, "&Metering Data", "AV_page1", nullptr);
    AV_page2 = accion(Actual_Values, "Maintenance Data", "AV_page2", nullptr);
    AV_page3 = accion(Actual_Values, "Last &Trip Data", "AV_page3", nullptr);
    AV_page4 = accion(Actual_Values, "&Events", "AV_page4", nullptr);

    const std::pair<QAction*, Pagina> abre[] = {
        {Set_page2, Pagina::SETPAGE2}, {MnuPhProtec, Pagina::SETPAGE6}, {mnuOutputRel, Pagina::SETPAGE3},
        {mnuInputs, Pagina::SETPAGE4}, {mnu_Event, Pagina::SETPAGE9},   {mnuDateTime, Pagina::DateTimeConfig},
        {AV_page1, Pagina::AVPAGE1},   {AV_page2, Pagina::AVPAGE2},     {AV_page3, Pagina::AVPAGE5},
        {AV_page4, Pagina::AVPAGE4},
    };
    for (const auto& [a, pagina] : abre) {
        const Pagina pg = pagina;
        connect(a, &QAction::triggered, this, [this, pg] { abrir_pagina(pg); });
    }

    Setup = menuBar()->addMenu(QStringLiteral("S&etup"));
    Setup->setObjectName("Setup");
    Comunica = accion(Setup, "&Communication", "Comunica", &Principal::Comunica_Click);
    Comunica->setShortcut(QKeySequence(Qt::Key_F5));
    RELAY_P = accion(Setup, "Relay &Properties", "RELAY_P", &Principal::RELAY_P_Click);

    // Not a menu of the relay's: it stays visible when a launcher hides Setup and About.
    tools_menu = menuBar()->addMenu(QStringLiteral("&Tools"));
    tools_menu->setObjectName("Tools");
    line_monitor_action = accion(tools_menu, "&Line Monitor", "LineMonitor", &Principal::Monitor_Click);
    line_monitor_action->setShortcut(QKeySequence(Qt::Key_F6));

    About = menuBar()->addAction(QStringLiteral("&About"));
    About->setObjectName("About");
    connect(About, &QAction::triggered, this, &Principal::About_Click);
}

void Principal::crear_barra() {
    Toolbar1 = addToolBar(QStringLiteral("Toolbar1"));
    Toolbar1->setObjectName("Toolbar1");
    Toolbar1->setMovable(false);
    Toolbar1->setIconSize(QSize(24, 24));
    const std::pair<ToolBarIcons::Kind, const char*> botones_def[6] = {
        {ToolBarIcons::Open, "Open File"},           {ToolBarIcons::Save, "Save File"},
        {ToolBarIcons::Print, "Print File"},         {ToolBarIcons::ActualValues, "All Actual Values"},
        {ToolBarIcons::Store, "Store"},              {ToolBarIcons::Help, "Help"},
    };
    for (int i = 0; i < 6; ++i) {
        botones[i] = Toolbar1->addAction(ToolBarIcons::icon(botones_def[i].first), QString());
        botones[i]->setToolTip(QString::fromLatin1(botones_def[i].second));
        botones[i]->setObjectName(QStringLiteral("Button%1").arg(i + 1));
    }
    connect(botones[0], &QAction::triggered, this, [this] { cargar_archivo(); });
    connect(botones[1], &QAction::triggered, this, [this] { Save_s_Click(); });
    // "All Actual Values" opens the metering page; Print, Store and Help have no action.
    connect(botones[3], &QAction::triggered, this, [this] { abrir_pagina(Pagina::AVPAGE1); });
    // Print and Store have nothing of their own to do: printing is out of reach as the
    // File > Print menu is, and storing is each page's STORE. They are shown disabled
    // rather than as buttons that ignore the user.
    botones[2]->setEnabled(false);
    botones[2]->setToolTip(QStringLiteral("Print File (not available)"));
    botones[4]->setEnabled(false);
    botones[4]->setToolTip(QStringLiteral("Store (use STORE on each setpoint page)"));
    botones[5]->setToolTip(QStringLiteral("Help (F1): the user guide"));
    botones[5]->setShortcut(QKeySequence(Qt::Key_F1));
    connect(botones[5], &QAction::triggered, this, [this] { Ayuda_Click(); });
}

QString Principal::ruta_guia() const {
#ifdef NEVA_SOURCE_GUIDE
    const char* fuente = NEVA_SOURCE_GUIDE;
#else
    const char* fuente = "";
#endif
    return QString::fromStdString(
        ProgramFolders::guide_file(QCoreApplication::applicationDirPath().toStdString(), fuente));
}

void Principal::Ayuda_Click() {
    const QString ruta = ruta_guia();
    if (ruta.isEmpty()) {
        ctx_.messages().message_box(kGuiaNoEncontrada, MsgButtons::Ok, MsgIcon::Exclamation, "NEVA");
        return;
    }
    const bool ok = abrir_en_navegador ? abrir_en_navegador(ruta)
                                       : QDesktopServices::openUrl(QUrl::fromLocalFile(ruta));
    if (!ok)
        ctx_.messages().message_box(kGuiaNoAbierta + ruta.toStdString(), MsgButtons::Ok, MsgIcon::Exclamation,
                                    "NEVA");
}

void Principal::crear_estado() {
    const char* diseno[6] = {"", "", "COM: 4", "", "Address: 255", ""};
    for (int i = 0; i < 6; ++i) {
        auto* l = new QLabel(QString::fromLatin1(diseno[i]), this);
        l->setObjectName(QStringLiteral("Panel%1").arg(i + 1));
        l->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        // Panels 1 and 2 carry no text; the settings and the link state get the room,
        // each at least as wide as the longest text it shows, so that no panel is
        // drawn over its neighbour when the window is at its narrowest.
        const char* mas_largo[6] = {"", "", "COM: 888", "Baud Rate: 19200", "Address: 247", "Not Communicating...."};
        l->setMinimumWidth(i < 2 ? 24 : l->fontMetrics().horizontalAdvance(QString::fromLatin1(mas_largo[i])) + 16);
        statusBar()->addWidget(l, i < 2 ? 0 : i == 5 ? 2 : 1);
        StatusBar1[i] = l;
    }
    statusBar()->setSizeGripEnabled(false);
    // The window is never made narrower than its panels need: squeezed, they were
    // drawn over each other.
    setMinimumWidth(statusBar()->minimumSizeHint().width());
}

QString Principal::panel(int n) const { return n >= 1 && n <= 6 ? StatusBar1[n - 1]->text() : QString(); }

void Principal::set_panel(int n, const QString& text) {
    if (n >= 1 && n <= 6) StatusBar1[n - 1]->setText(text);
}

void Principal::aplicar_carga(const LoadResult& r) {
    if (!r.loaded) return;
    poner_titulo(q(r.caption));
    set_panel(5, q(r.address_panel));
    set_panel(6, q(r.status_panel));
    // The load stopped the link: a print of the event record waiting for its reads
    // would never end.
    ctx_.state().Imprimiendo = false;
    // A page left showing the old values would STORE values nobody sees.
    for (const auto& [p, w] : instancias_) {
        auto reg = paginas_.find(p);
        if (w && w->isVisible() && reg != paginas_.end() && reg->second.refrescar) reg->second.refrescar(w);
    }
}

void Principal::poner_titulo(const QString& titulo) {
    setWindowTitle(titulo + QStringLiteral("[*]"));
    mostrar_modificado();
}

void Principal::mostrar_modificado() { setWindowModified(ctx_.state().unsaved_changes); }

bool Principal::guardar_cambios_antes() {
    if (!ctx_.state().unsaved_changes) return true;
    const auto r = ctx_.messages().message_box(kPreguntaGuardar, MsgButtons::YesNoCancel, MsgIcon::Critical, "NEVA");
    if (r == MsgAnswer::Cancel) return false;
    if (r == MsgAnswer::No) return true;
    const bool guardado = ctx_.archivos().Guardar_Como(ctx_.textos_de_eventos()) == FileOutcome::Done;
    mostrar_modificado();
    return guardado;
}

bool Principal::take_over_setpoints(const SetpointSource& source) {
    if (!seguir_sin_enlace() || !guardar_cambios_antes()) return false;
    auto& st = ctx_.state();
    auto& img = ctx_.images();
    // A running link sees the error at its next completion and goes offline: the
    // source's setpoints replace the relay's, as with a loaded file.
    st.En_Linea = false;
    st.Error_Comunicacion = true;
    std::copy(source.setpoints.begin(), source.setpoints.begin() + kBlock2.last + 1, img.Imagen_Edicion.begin());
    Guarda_Edicion(img);
    st.Nombre_Rele = source.relay_name;
    st.Version_Rele = source.firmware;
    st.unsaved_changes = true;
    LoadResult r;
    r.loaded = true;
    r.caption = source.name + Manejo_de_Archivos::kCaptionSuffix;
    r.address_panel = "Address: " + std::to_string(st.Direccion_Rele);
    r.status_panel = Manejo_de_Archivos::kNotCommunicating;
    aplicar_carga(r);
    return true;
}

bool Principal::seguir_sin_enlace() {
    const auto& st = ctx_.state();
    if (!st.Modo_Externo || !(st.En_Linea || st.Esperando_Respuesta)) return true;
    return ctx_.messages().message_box(kFinEnlaceExterno, MsgButtons::YesNo, MsgIcon::Question, "NEVA") ==
           MsgAnswer::Yes;
}

void Principal::habilitar(bool on) {
    menuBar()->setEnabled(on);
    Toolbar1->setEnabled(on);
    centralWidget()->setEnabled(on);
    // Pages close through here: show what their STORE did to the unsaved state.
    mostrar_modificado();
}

bool Principal::habilitada() const { return menuBar()->isEnabled(); }

// ---- Pages ----

void Principal::registrar_pagina(Pagina p, RegistroPagina r) { paginas_[p] = std::move(r); }

QWidget* Principal::pagina(Pagina p) {
    if (auto it = instancias_.find(p); it != instancias_.end() && it->second) return it->second;
    auto reg = paginas_.find(p);
    if (reg == paginas_.end() || !reg->second.crear) return nullptr;
    QWidget* w = reg->second.crear(*this);
    instancias_[p] = w;
    return w;
}

bool Principal::abrir_pagina(Pagina p) {
    QWidget* w = pagina(p);
    if (!w) return false;
    if (!w->isWindow()) w->setWindowFlags(Qt::Dialog);
    w->setWindowModality(Qt::ApplicationModal);
    w->show();
    w->raise();
    w->activateWindow();
    return true;
}

// ---- Load, activation, unload ----

void Principal::Form_Load() {
    auto& st = ctx_.state();
    st.En_Linea = false;
    st.Error_Comunicacion = false;
    st.Puerto_Abierto = false;
    if (!st.Modo_Externo) {
        st.Puerto_Com = 1;
        st.Direccion_Rele = 1;
        st.Velocidad_Com = 9600;
        aplicar_carga(ctx_.archivos().Leer_Archivo(ctx_.ruta_archivo_defecto()));
    }
    st.Imprimiendo = false;
    st.Calc.Calc_Tipo = 1;
    st.Version_Rele = "1.03";
    set_panel(5, QStringLiteral("Address: %1").arg(st.Direccion_Rele));
    set_panel(4, QStringLiteral("Baud Rate: %1").arg(st.Velocidad_Com));
    set_panel(3, QStringLiteral("COM: %1").arg(st.Puerto_Com));
    set_panel(6, kNoComunicando);
    habilitar(true);
    poner_titulo(kTitulo);
}

void Principal::guardar_marca(std::int16_t valor) {
    LauncherMarker marca;
    if (!marca.write(valor))
        qWarning("NEVA Setup: the launcher marker %s was not written: %s", marca.path().c_str(),
                 marca.last_error().c_str());
}

void Principal::Form_Activate() {
    if (ctx_.state().Modo_Externo) guardar_marca(LauncherMarker::kActivada);
}

void Principal::changeEvent(QEvent* e) {
    if (e->type() == QEvent::ActivationChange && isActiveWindow()) Form_Activate();
    QMainWindow::changeEvent(e);
}

void Principal::cerrar_puerto() {
    auto& port = ctx_.port();
    if (port.is_open()) {
        port.write_text("");
        port.close();
    }
}

void Principal::Form_Unload() {
    if (descargada_) return;
    descargada_ = true;
    if (ctx_.state().Modo_Externo) {
        if (ctx_.port().is_open()) ctx_.port().close();
        guardar_marca(LauncherMarker::kDescargada);
    }
}

void Principal::fin_del_programa() {
    terminado_ = true;
    // Nothing keeps running after the end: the link's timers stop with the port.
    auto& link = ctx_.link();
    for (Timer* t : {&link.Timer1(), &link.Timer_Comunicacion(), &link.TmrRetardoCom(), &link.Timer2()})
        t->set_enabled(false);
    if (comunicacion_) comunicacion_->hide();
    if (terminar) terminar();
}

namespace {
// " Are You Sure ?", with a second line when leaving would lose unsaved work.
std::string pregunta_salida(const SharedState& st) {
    std::string texto = Principal::kSalida;
    if (st.unsaved_changes) texto += std::string("\n") + Principal::kCambiosPerdidos;
    return texto;
}
}  // namespace

void Principal::Salida_Click() {
    const auto r =
        ctx_.messages().message_box(pregunta_salida(ctx_.state()), MsgButtons::YesNo, MsgIcon::Question, kTitulo);
    if (r != MsgAnswer::Yes) return;
    cerrar_puerto();
    if (ctx_.state().Modo_Externo) Form_Unload();
    fin_del_programa();
    close();
}

void Principal::closeEvent(QCloseEvent* e) {
    if (terminado_) {
        e->accept();
        return;
    }
    // While a page or dialog holds the window disabled the close box does nothing, as
    // on a disabled window: the program must not end under a dialog still at work.
    const QWidget* modal = QApplication::activeModalWidget();
    if (!habilitada() || (modal && modal != this)) {
        e->ignore();
        return;
    }
    if (!ctx_.state().Modo_Externo) {
        const auto r =
            ctx_.messages().message_box(pregunta_salida(ctx_.state()), MsgButtons::YesNo, MsgIcon::Question, kTitulo);
        if (r != MsgAnswer::Yes) {
            e->ignore();
            return;
        }
        cerrar_puerto();
    } else {
        Form_Unload();
    }
    e->accept();
    fin_del_programa();
}

// ---- File menu ----

void Principal::Nuevo_Click() {
    if (!seguir_sin_enlace() || !guardar_cambios_antes()) return;
    ctx_.state().En_Linea = false;
    aplicar_carga(ctx_.archivos().Leer_Archivo(ctx_.ruta_archivo_defecto()));
}

bool Principal::cargar_archivo() {
    if (!seguir_sin_enlace() || !guardar_cambios_antes()) return false;
    aplicar_carga(ctx_.archivos().Abrir_Archivo());
    return true;
}

void Principal::Load_s_Click() {
    if (cargar_archivo()) ctx_.state().Version_Rele = ctx_.NEVA().Version.str();
}

void Principal::guardar_como() {
    ctx_.archivos().Guardar_Como(ctx_.textos_de_eventos());
    mostrar_modificado();
}

void Principal::Save_s_Click() {
    if (!ctx_.state().En_Linea) {
        guardar_como();
        return;
    }
    const auto nombre = ctx_.messages().save_file_name(Manejo_de_Archivos::save_dialog_setup());
    if (!nombre || nombre->empty()) return;
    // The file gets the event record as the relay has it now: the copy in memory is
    // only as fresh as the last look at the events page, and the relay may have
    // cleared or added events since.
    habilitar(false);
    auto* progreso = new QProgressDialog(QString::fromLatin1(kLeyendoEventos), QString(), 0, 1, this);
    progreso->setObjectName(QStringLiteral("ProgresoEventos"));
    progreso->setWindowTitle(QString::fromLatin1(kTitulo));
    progreso->setWindowModality(Qt::WindowModal);
    progreso->setCancelButton(nullptr);
    progreso->setMinimumDuration(0);
    progreso->setValue(0);
    QPointer<QProgressDialog> p(progreso);
    const std::string ruta = *nombre;
    const bool leyendo = ctx_.link().Leer_Registro_Eventos(
        [p](int hechas, int total) {
            if (!p) return;
            p->setMaximum(total);
            p->setValue(hechas);
        },
        [this, p, ruta](bool leido) {
            if (p) p->deleteLater();
            // Called from inside the link's own handling of an answer or of its end:
            // the save and its messages wait until that has finished.
            QTimer::singleShot(0, this, [this, ruta, leido] { terminar_guardado(ruta, leido); });
        });
    if (!leyendo) {
        delete progreso;
        terminar_guardado(ruta, true);
    }
}

void Principal::terminar_guardado(const std::string& ruta, bool leido) {
    if (leido)
        ctx_.archivos().Guardar_Archivo(ruta, ctx_.textos_de_eventos());
    else
        ctx_.messages().message_box("The event record could not be read from the relay, so nothing was saved to \"" +
                                        ruta + "\".",
                                    MsgButtons::Ok, MsgIcon::Exclamation, kAppTitle);
    mostrar_modificado();
    habilitar(true);
}

void Principal::Send_Click() {
    auto& st = ctx_.state();
    auto& link = ctx_.link();
    if (!guardar_cambios_antes()) {
        habilitar(true);
        return;
    }
    st.En_Linea = false;
    st.Enviando_Archivo = false;
    aplicar_carga(ctx_.archivos().Abrir_Archivo());
    if (!st.Archivo_Cargado) {
        habilitar(true);
        return;
    }

    // Ask until the address is one a relay can have. The check is made on the
    // address as it will be sent: "247.6" rounds to 248 and "0.4" to the broadcast
    // address 0, and neither must reach the line.
    int direccion = 0;
    for (;;) {
        const std::string actual = std::to_string(st.Direccion_Rele);
        auto respuesta = ctx_.messages().input_box("Relay Direction: " + actual, "Send To Relay", actual);
        if (respuesta && !respuesta->empty()) {
            if (auto v = valor_inicial(*respuesta)) {
                const double redondo = std::nearbyint(*v);
                if (redondo >= 1 && redondo <= 247) {
                    direccion = static_cast<int>(redondo);
                    break;
                }
            }
        }
        ctx_.messages().message_box("Invalid Relay direction", MsgButtons::Ok, MsgIcon::None, "NEVA");
    }

    // Both blocks of the file go out one after the other, each confirmed and read
    // back; the link reports the end, or what the relay holds after a failure.
    st.Direccion_Rele = static_cast<std::uint8_t>(direccion);
    link.start_file_send(direccion);
    habilitar(true);
}

// ---- SetPoints menu ----

void Principal::Reset_Relay_Click() {
    auto& st = ctx_.state();
    if (!st.En_Linea) {
        ctx_.messages().message_box("Only Communication Mode ", MsgButtons::Ok, MsgIcon::Information, "NEVA");
    } else if (st.Reset_Permitido) {
        const auto r = ctx_.messages().message_box("Are you sure?", MsgButtons::YesNo, MsgIcon::Question, "NEVA Reset");
        if (r == MsgAnswer::Yes) ctx_.link().Encolar_Proceso(0, 11);
    }
    habilitar(true);
}

// ---- Setup and About ----

Comunicacion& Principal::comunicacion() {
    if (!comunicacion_) comunicacion_ = std::make_unique<Comunicacion>(*this);
    return *comunicacion_;
}

Propiedades& Principal::propiedades() {
    if (!propiedades_) propiedades_ = std::make_unique<Propiedades>(*this);
    return *propiedades_;
}

void Principal::Comunica_Click() {
    auto& c = comunicacion();
    c.Form_Load();
    c.show();
    c.raise();
    c.activateWindow();
}

LineMonitorWindow& Principal::monitor_linea() {
    if (!monitor_linea_)
        monitor_linea_ = std::make_unique<LineMonitorWindow>(ctx_.monitor(), ctx_.messages(), ctx_.timers(), this);
    return *monitor_linea_;
}

void Principal::Monitor_Click() {
    auto& m = monitor_linea();
    m.show();
    m.raise();
    m.activateWindow();
}

void Principal::RELAY_P_Click() {
    auto& p = propiedades();
    p.Form_Load();
    p.setWindowModality(Qt::ApplicationModal);
    p.show();
    p.raise();
}

frmAbout* Principal::about_box() {
    if (!about_) about_ = new frmAbout(this);
    return about_;
}

void Principal::About_Click() {
    auto* a = about_box();
    a->setWindowModality(Qt::ApplicationModal);
    a->show();
    a->raise();
}

// ---- Status display ----

void Principal::ResetTiempo() { ctx_.link().ResetTiempo(); }

void Principal::Actualiza_Valores() {
    auto& neva = ctx_.NEVA();
    std::int32_t bloque = 0;
    neva.Devuelve_Datos(bloque);
    auto byte = [&neva](int posicion) {
        const double v = neva.DatosDeVariables(posicion).number();
        if (!(v > 0)) return std::uint8_t{0};
        return static_cast<std::uint8_t>(v >= 255 ? 255 : std::lround(v));
    };
    auto* u = UserControl11;
    // The order in which the relay's status values are taken over.
    u->setCerrado(byte(4));
    u->setAbierto(byte(5));
    u->setSwitch(byte(9));
    u->setEarthBreaker(byte(6));
    u->setPickUpI50(byte(8));
    u->setPickUpI51(byte(7));
    u->setPickUpIo50(byte(11));
    u->setPickUpIo51(byte(10));
    u->setAlarm(byte(2));
    u->setTrip(byte(1));
    u->setService(byte(3));
}

void Principal::Timer2_Timer() {
    auto& link = ctx_.link();
    if (!ctx_.state().En_Linea) {
        link.Timer2().set_enabled(false);
        UserControl11->Desactivar();
        set_panel(6, kNoComunicando);
        habilitar(true);
    } else {
        link.Timer_Comunicacion().set_enabled(true);
        Actualiza_Valores();
        UserControl11->Actualizar();
        set_panel(6, kComunicando);
    }
    // The relay's setpoints read since the last tick are unsaved work.
    mostrar_modificado();
}

// ---- Printing ----

bool Principal::preparar_impresora() {
    impresora_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
    return dialogo_impresora && dialogo_impresora(*impresora_);
}

void Principal::imprimir_paginas(const std::vector<Pagina>& paginas) {
    if (!impresora_) return;
    QPainter painter;
    bool primera = true;
    for (Pagina p : paginas) {
        auto reg = paginas_.find(p);
        if (reg == paginas_.end() || !reg->second.crear) continue;  // page not built into this program
        // Each page is loaded for the print, refreshed, printed and unloaded again.
        std::unique_ptr<QWidget> w(reg->second.crear(*this));
        if (!w) continue;
        if (reg->second.refrescar) reg->second.refrescar(w.get());
        w->ensurePolished();
        w->adjustSize();
        if (primera) {
            if (!painter.begin(impresora_.get())) {
                ctx_.messages().message_box("The printer could not be started. Check the printer and try again.",
                                            MsgButtons::Ok, MsgIcon::Critical, "NEVA");
                return;
            }
            primera = false;
        } else {
            impresora_->newPage();
        }
        const QRect area = painter.viewport();
        const QSize tam = w->size();
        const double escala = std::min(double(area.width()) / tam.width(), double(area.height()) / tam.height());
        painter.save();
        painter.scale(escala, escala);
        w->render(&painter);
        painter.restore();
    }
    if (!primera) painter.end();
}

void Principal::P_Setpoints_Click() {
    auto& st = ctx_.state();
    habilitar(false);
    // The setpoint pages print the stored image, which the link keeps equal to the
    // relay's blocks. No request is queued for the print: the request code the print
    // once queued sends nothing, so it could only time out and count towards a
    // communication error.
    (void)st;
    if (espera_impresion_ms > 0) {
        QEventLoop espera;
        QTimer::singleShot(espera_impresion_ms, &espera, &QEventLoop::quit);
        espera.exec();
    }
    if (preparar_impresora())
        imprimir_paginas({Pagina::SETPAGE2, Pagina::SETPAGE6, Pagina::SETPAGE3});
    habilitar(true);
}

void Principal::P_Actual_Click() {
    auto& st = ctx_.state();
    if (!preparar_impresora()) {
        habilitar(true);
        return;
    }
    if (st.En_Linea) {
        auto& link = ctx_.link();
        link.Encolar_Proceso(0, 4);
        link.Encolar_Proceso(0, 5);
        link.Encolar_Proceso(0, 6);
        link.Encolar_Proceso(1, 30);
    }
    st.Imprimiendo = true;
    imprimir_paginas({Pagina::AVPAGE1, Pagina::AVPAGE2, Pagina::AVPAGE5});
    st.Imprimiendo = false;
    habilitar(true);
}

void Principal::P_Events_Click() {
    if (!preparar_impresora()) return;
    // Communicating, the link queues the record reads and raises ReadyEvents once the
    // last of them has been answered; the page is printed then (NEVA_ReadyEvents).
    if (!ctx_.link().Imprimir_Eventos()) {
        // Offline the page shows the events of the loaded file: nothing to wait for.
        imprimir_paginas({Pagina::AVPAGE4});
    }
}

void Principal::NEVA_ReadyEvents() {
    auto& st = ctx_.state();
    if (!st.Imprimiendo) return;
    imprimir_paginas({Pagina::AVPAGE4});
    st.Imprimiendo = false;
    habilitar(true);
}

}  // namespace neva
