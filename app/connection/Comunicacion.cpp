#include "connection/Comunicacion.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QToolButton>
#include <QVBoxLayout>

#include <QCoreApplication>
#include <QDir>

#include "adapters/QtPorts.h"
#include "connection/FindRelayDialog.h"
#include "connection/ConnectionMemory.h"
#include "files/Manejo_de_Archivos.h"
#include "modem/Lectura_Escritura.h"
#include "startup/ProgramFolders.h"
#include "image/Manejo_de_Datos.h"
#include "ui/Principal.h"

namespace neva {

namespace {
const char* const kVelocidades[] = {"1200", "2400", "4800", "9600", "19200", "38400", "57600"};
constexpr int kNumVelocidades = 7;
constexpr int kPuertosNumerados = 8;  // "COM 1".."COM 8" head the port list
const QString kDatoTcp = QStringLiteral("tcp");
const QString kDatoMbtcp = QStringLiteral("mbtcp");
const QString kPrefijoDispositivo = QStringLiteral("dev:");
}  // namespace

Comunicacion::Comunicacion(Principal& principal) : QDialog(&principal), principal_(principal) {
    setObjectName("Comunicacion");
    setWindowTitle(QStringLiteral("COMMUNICATION CONTROL"));
    setModal(false);

    tmr_state_com_ = principal_.contexto().timers().make_timer(3000);
    tmr_state_com_->on_tick = [this] { TmrStateCom_Timer(); };

    // Computer Settings.
    Frame1 = new QGroupBox(QStringLiteral("Computer Settings"), this);
    Combo1 = new QComboBox(Frame1);
    for (int i = 1; i <= kPuertosNumerados; ++i) Combo1->addItem(QStringLiteral("COM %1").arg(i));
    Combo1->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    refresh_button = new QToolButton(Frame1);
    refresh_button->setObjectName("refresh_button");
    refresh_button->setText(QStringLiteral("&Refresh"));
    refresh_button->setToolTip(QStringLiteral("List this computer's serial ports again (a USB adapter just plugged in)"));
    host_text = new QLineEdit(Frame1);
    host_text->setObjectName("host_text");
    host_text->setMaxLength(253);
    host_text->setPlaceholderText(QStringLiteral("host name or IP address"));
    tcp_port_box = new QSpinBox(Frame1);
    tcp_port_box->setObjectName("tcp_port_box");
    tcp_port_box->setRange(1, 65535);
    tcp_port_box->setValue(PortTarget::kDefaultServerPort);
    Combo2 = new QComboBox(Frame1);
    ComboCom2 = new QComboBox(Frame1);
    for (const char* v : kVelocidades) {
        Combo2->addItem(QString::fromLatin1(v));
        ComboCom2->addItem(QString::fromLatin1(v));
    }
    Byte_UnR1 = new QSpinBox(Frame1);
    Byte_UnR1->setObjectName("Byte_UnR1");
    Byte_UnR1->setToolTip(QStringLiteral("Slave Address"));
    Byte_UnR1->setRange(1, 247);
    Byte_UnR1->setSingleStep(1);
    auto* g1 = new QGridLayout(Frame1);
    auto* fila_puerto = new QHBoxLayout;
    fila_puerto->addWidget(Combo1, 1);
    fila_puerto->addWidget(refresh_button);
    g1->addWidget(new QLabel(QStringLiteral("Communication Port:"), Frame1), 0, 0);
    g1->addLayout(fila_puerto, 0, 1);
    auto* etiqueta_host = new QLabel(QStringLiteral("&Host:"), Frame1);
    etiqueta_host->setBuddy(host_text);
    auto* etiqueta_tcp = new QLabel(QStringLiteral("&TCP Port:"), Frame1);
    etiqueta_tcp->setBuddy(tcp_port_box);
    g1->addWidget(etiqueta_host, 1, 0);
    g1->addWidget(host_text, 1, 1);
    g1->addWidget(etiqueta_tcp, 2, 0);
    g1->addWidget(tcp_port_box, 2, 1);
    g1->addWidget(new QLabel(QStringLiteral("Baud Rate:"), Frame1), 3, 0);
    g1->addWidget(Combo2, 3, 1);
    g1->addWidget(new QLabel(QStringLiteral("Com 2 Baud Rate:"), Frame1), 4, 0);
    g1->addWidget(ComboCom2, 4, 1);
    g1->addWidget(new QLabel(QStringLiteral("Slave Address:"), Frame1), 5, 0);
    g1->addWidget(Byte_UnR1, 5, 1);
    FindRelay = new QPushButton(QStringLiteral("&Find Relay..."), Frame1);
    FindRelay->setObjectName("FindRelay");
    FindRelay->setAutoDefault(false);
    FindRelay->setToolTip(QStringLiteral("Search the port for relays at every speed and address"));
    g1->addWidget(FindRelay, 6, 1);

    // Communication Control.
    Frame2 = new QGroupBox(QStringLiteral("Communication Control"), this);
    Command1 = new QPushButton(QStringLiteral("ON"), Frame2);
    Command2 = new QPushButton(QStringLiteral("OFF"), Frame2);
    Command1->setAutoDefault(false);
    Command2->setAutoDefault(false);
    Label6 = new QLabel(QString::fromLatin1(kNoEstablecida), Frame2);
    Label6->setObjectName("Label6");
    Label6->setWordWrap(true);
    auto* g2 = new QGridLayout(Frame2);
    g2->addWidget(new QLabel(QStringLiteral("Communicate:"), Frame2), 0, 0);
    g2->addWidget(Command1, 0, 1);
    g2->addWidget(Command2, 0, 2);
    g2->addWidget(new QLabel(QStringLiteral("Status:"), Frame2), 1, 0);
    g2->addWidget(Label6, 1, 1, 1, 2);

    // Communication Type.
    Frame3 = new QGroupBox(QStringLiteral("Communication Type"), this);
    Option1[0] = new QRadioButton(QStringLiteral("Modem"), Frame3);
    Option1[1] = new QRadioButton(QStringLiteral("RS485/422"), Frame3);
    Text1 = new QLineEdit(Frame3);
    Text1->setMaxLength(20);
    FrameModemString = new QGroupBox(QStringLiteral("Modem String"), Frame3);
    OptDefaultString = new QRadioButton(QStringLiteral("Default String"), FrameModemString);
    OptPersonalString = new QRadioButton(QStringLiteral("Personal String"), FrameModemString);
    OptDefaultString->setChecked(true);
    auto* gms = new QVBoxLayout(FrameModemString);
    gms->addWidget(OptDefaultString);
    gms->addWidget(OptPersonalString);
    auto* g3 = new QGridLayout(Frame3);
    g3->addWidget(Option1[0], 0, 0);
    g3->addWidget(Option1[1], 0, 1);
    g3->addWidget(new QLabel(QStringLiteral("Telephone Number"), Frame3), 1, 0);
    g3->addWidget(Text1, 1, 1);
    g3->addWidget(FrameModemString, 2, 0, 1, 2);

    Frame4 = new QGroupBox(QStringLiteral("Remote Modem Programing"), this);
    Frame4->setObjectName("Frame4");
    Combo3 = new QComboBox(Frame4);
    for (int i = 0; i < 4; ++i) Combo3->addItem(QString::fromLatin1(kVelocidades[i]));
    Combo4 = new QComboBox(Frame4);
    for (int i = 1; i <= 4; ++i) Combo4->addItem(QStringLiteral("COM%1").arg(i));
    Combo4->setCurrentIndex(0);
    Option2[0] = new QRadioButton(QStringLiteral("Default String"), Frame4);
    Option2[1] = new QRadioButton(QStringLiteral("Personal String"), Frame4);
    Option2[0]->setChecked(true);
    Modem = new QPushButton(QStringLiteral("OK"), Frame4);
    Modem->setObjectName("Modem");
    Modem->setAutoDefault(false);
    auto* g4 = new QGridLayout(Frame4);
    g4->addWidget(new QLabel(QStringLiteral("Baud Rate:"), Frame4), 0, 0);
    g4->addWidget(Combo3, 0, 1);
    g4->addWidget(new QLabel(QStringLiteral("Modem Location:"), Frame4), 1, 0);
    g4->addWidget(Combo4, 1, 1);
    g4->addWidget(Option2[0], 2, 0);
    g4->addWidget(Option2[1], 2, 1);
    g4->addWidget(Modem, 3, 1);
    {
        auto& ctx = principal_.contexto();
        // The modem is programmed on the main window's port; the waits keep the window
        // painting. The file "AT" is kept in the user's configuration folder; one that
        // an earlier version left in the current directory is still read until then.
        const std::string here = QDir::currentPath().toStdString();
        std::string config = ProgramFolders::config_folder();
        if (config.empty()) config = here;
        modem_ = std::make_unique<Lectura_Escritura>(
            ctx.state(), ctx.port(), ctx.clock(), ctx.messages(), [] { QCoreApplication::processEvents(); },
            config, here);
    }

    // OK / Cancel.
    Botones = new QGroupBox(this);
    Okey = new QPushButton(QStringLiteral("OK"), Botones);
    Cancelar = new QPushButton(QStringLiteral("Cancel"), Botones);
    Okey->setAutoDefault(false);
    Cancelar->setAutoDefault(false);
    auto* gb = new QHBoxLayout(Botones);
    gb->addStretch(1);
    gb->addWidget(Okey);
    gb->addWidget(Cancelar);

    auto* izquierda = new QVBoxLayout;
    izquierda->addWidget(Frame2);
    izquierda->addWidget(Frame1);
    auto* derecha = new QVBoxLayout;
    derecha->addWidget(Frame3);
    derecha->addWidget(Frame4, 1);
    auto* arriba = new QHBoxLayout;
    arriba->addLayout(izquierda);
    arriba->addLayout(derecha);
    auto* todo = new QVBoxLayout(this);
    todo->addLayout(arriba);
    todo->addWidget(Botones);
    // Tab goes as the dialog reads: communicate, the computer's settings, the type of
    // connection and the remote modem, then OK and Cancel.
    QWidget* const orden[] = {Command1,         Command2,          Combo1,    refresh_button, host_text,
                                    tcp_port_box,     Combo2,            ComboCom2, Byte_UnR1,      FindRelay,
                                    Option1[0],       Option1[1],        Text1,     OptDefaultString,
                                    OptPersonalString, Combo3,           Combo4,    Option2[0],     Option2[1],
                                    Modem,            Okey,              Cancelar};
    for (std::size_t i = 1; i < std::size(orden); ++i)
        setTabOrder(orden[i - 1], orden[i]);

    connect(Okey, &QPushButton::clicked, this, &Comunicacion::Okey_Click);
    connect(Cancelar, &QPushButton::clicked, this, &Comunicacion::Cancelar_Click);
    connect(Command1, &QPushButton::clicked, this, &Comunicacion::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &Comunicacion::Command2_Click);
    connect(Modem, &QPushButton::clicked, this, &Comunicacion::Modem_Click);
    connect(FindRelay, &QPushButton::clicked, this, &Comunicacion::FindRelay_Click);
    connect(refresh_button, &QToolButton::clicked, this, &Comunicacion::refresh_ports);
    connect(Combo1, &QComboBox::currentIndexChanged, this, [this] { update_network_fields(); });
    update_network_fields();
    connect(Option1[0], &QRadioButton::clicked, this, [this] { Option1_Click(0); });
    connect(Option1[1], &QRadioButton::clicked, this, [this] { Option1_Click(1); });
    connect(Text1, &QLineEdit::textChanged, this,
            [this](const QString& t) { principal_.contexto().state().Telefono = t.toLatin1().toStdString(); });
    set_escape(true);
}

Comunicacion::~Comunicacion() { tmr_state_com_->on_tick = nullptr; }

void Comunicacion::set_escape(bool on) {
    // Esc means Cancel except while ON runs.
    Cancelar->setProperty("neva_escape", on);
}

void Comunicacion::reject() {
    if (Cancelar->property("neva_escape").toBool() && Botones->isEnabled()) Cancelar_Click();
}

void Comunicacion::closeEvent(QCloseEvent* e) {
    // While a modem is being programmed the dialog stays: the run still uses the port.
    if (programando_) {
        e->ignore();
        return;
    }
    // The close box works as Cancel: the main window must not stay disabled.
    principal_.habilitar(true);
    QDialog::closeEvent(e);
}

void Comunicacion::Form_Load() {
    auto& st = principal_.contexto().state();
    principal_.habilitar(false);
    Byte_UnR1->setValue(st.Direccion_Rele < 1 ? 1 : st.Direccion_Rele > 247 ? 247 : st.Direccion_Rele);
    {
        QSignalBlocker b(Text1);
        Text1->setText(QString::fromLatin1(st.Telefono.trimmed_right()));
    }
    Option1[st.Modo_Modem ? 0 : 1]->setChecked(true);
    Label6->setText(st.En_Linea ? kEstablecida : kNoEstablecida);
    // Every speed of the list is selected when it is the one in use: a speed such as
    // 19200 from an external start must not leave ON without a speed to connect with.
    int pos = -1;
    for (int i = 0; i < kNumVelocidades; ++i)
        if (st.Velocidad_Com == std::atoi(kVelocidades[i])) pos = i;
    Combo2->setCurrentIndex(pos);
    ComboCom2->setCurrentIndex(pos);
    // The programming speed list follows the link's speed where it offers it.
    Combo3->setCurrentIndex(pos <= 3 ? pos : -1);
    refresh_ports();
    Combo1->setCurrentIndex(st.Puerto_Com >= 1 && st.Puerto_Com <= 8 ? st.Puerto_Com - 1 : -1);
    if (target_en_uso_ && target_en_uso_->kind != PortTarget::Kind::Numbered) {
        // The link was last started on a device or network address: show that one.
        select_target(*target_en_uso_);
    } else if (!memoria_ofrecida_ && !st.Modo_Externo && !st.En_Linea && !target_en_uso_ && st.Puerto_Com == 1 &&
               st.Velocidad_Com == 9600 && st.Direccion_Rele == 1) {
        // The first time in a run, while the settings are still those of the start,
        // the connection the user made last time is offered.
        if (auto m = ConnectionMemory::load()) {
            if (auto t = PortTarget::parse(m->port)) select_target(*t);
            const int pos_m = Combo2->findText(QString::number(m->speed));
            if (pos_m >= 0) Combo2->setCurrentIndex(pos_m);
            Byte_UnR1->setValue(m->address);
        }
    }
    memoria_ofrecida_ = true;
    update_network_fields();
    if (al_cargar) al_cargar();
}

void Comunicacion::refresh_ports() {
    const QVariant antes = Combo1->currentIndex() >= kPuertosNumerados ? Combo1->currentData() : QVariant();
    const QString texto_antes = Combo1->currentText();
    {
        const QSignalBlocker quieto(Combo1);
        while (Combo1->count() > kPuertosNumerados) Combo1->removeItem(kPuertosNumerados);
        for (const SerialPortInfo& p : principal_.contexto().serial_ports())
            Combo1->addItem(QString::fromStdString(port_label(p)),
                            kPrefijoDispositivo + QString::fromStdString(p.system_location));
        Combo1->addItem(QString::fromLatin1(kEntradaTcp), kDatoTcp);
        Combo1->addItem(QString::fromLatin1(kEntradaMbtcp), kDatoMbtcp);
        if (antes.isValid()) {
            int i = Combo1->findData(antes);
            if (i < 0) {
                // A device that has gone stays choosable under its path, so the choice is not lost silently.
                Combo1->insertItem(Combo1->count() - 2, texto_antes, antes);
                i = Combo1->findData(antes);
            }
            Combo1->setCurrentIndex(i);
        }
    }
    update_network_fields();
}

void Comunicacion::select_target(const PortTarget& t) {
    switch (t.kind) {
        case PortTarget::Kind::Numbered:
            Combo1->setCurrentIndex(t.number >= 1 && t.number <= kPuertosNumerados ? t.number - 1 : -1);
            break;
        case PortTarget::Kind::Device: {
            const QString dato = kPrefijoDispositivo + QString::fromStdString(t.device);
            if (Combo1->findData(dato) < 0) Combo1->insertItem(Combo1->count() - 2, QString::fromStdString(t.device), dato);
            Combo1->setCurrentIndex(Combo1->findData(dato));
            break;
        }
        case PortTarget::Kind::Tcp:
        case PortTarget::Kind::ModbusTcp:
            Combo1->setCurrentIndex(Combo1->findData(t.kind == PortTarget::Kind::Tcp ? kDatoTcp : kDatoMbtcp));
            host_text->setText(QString::fromStdString(t.host));
            tcp_port_box->setValue(t.tcp_port);
            break;
    }
    update_network_fields();
}

void Comunicacion::update_network_fields() {
    const QString dato = Combo1->currentData().toString();
    const bool red = dato == kDatoTcp || dato == kDatoMbtcp;
    host_text->setEnabled(red);
    tcp_port_box->setEnabled(red);
    // The usual port of the kind chosen, unless the user typed another one.
    const int v = tcp_port_box->value();
    if (dato == kDatoMbtcp && v == PortTarget::kDefaultServerPort) tcp_port_box->setValue(PortTarget::kDefaultModbusTcpPort);
    if (dato == kDatoTcp && v == PortTarget::kDefaultModbusTcpPort) tcp_port_box->setValue(PortTarget::kDefaultServerPort);
}

std::optional<PortTarget> Comunicacion::chosen_target(std::string* error) const {
    const int i = Combo1->currentIndex();
    if (i < 0) {
        if (error) *error = kSinPuerto;
        return std::nullopt;
    }
    if (i < kPuertosNumerados) return PortTarget::numbered(i + 1);
    const QString dato = Combo1->currentData().toString();
    if (dato.startsWith(kPrefijoDispositivo)) return PortTarget::serial_device(dato.mid(kPrefijoDispositivo.size()).toStdString());
    const std::string host = host_text->text().trimmed().toStdString();
    if (!PortTarget::valid_host(host)) {
        if (error) *error = kSinHost;
        return std::nullopt;
    }
    return PortTarget::network(dato == kDatoTcp ? PortTarget::Kind::Tcp : PortTarget::Kind::ModbusTcp, host,
                               tcp_port_box->value());
}

void Comunicacion::Option1_Click(int index) { principal_.contexto().state().Modo_Modem = index == 0; }

void Comunicacion::panels_de_enlace() {
    const auto& st = principal_.contexto().state();
    principal_.set_panel(5, QStringLiteral("Address: %1").arg(st.Direccion_Rele));
    principal_.set_panel(4, QStringLiteral("Baud Rate: %1").arg(st.Velocidad_Com));
    // A device or network address names itself; a numbered port is "COM:" and its number.
    const auto t = chosen_target();
    if (t && t->kind != PortTarget::Kind::Numbered) principal_.set_panel(3, QString::fromStdString(t->text()));
    else principal_.set_panel(3, QStringLiteral("COM:%1").arg(st.Puerto_Com));
    // A long address may not fit the panel; its tip shows it whole.
    principal_.StatusBar1[2]->setToolTip(principal_.panel(3));
}

void Comunicacion::Okey_Click() {
    auto& ctx = principal_.contexto();
    auto& st = ctx.state();
    st.Direccion_Rele = static_cast<std::uint8_t>(Byte_UnR1->value());
    // Setpoints sent later carry the address in use (register 0117, high byte).
    ctx.images().Imagen_Edicion[46] = st.Direccion_Rele;
    if (Combo1->currentIndex() >= 0 && Combo1->currentIndex() < kPuertosNumerados)
        st.Puerto_Com = static_cast<std::int16_t>(Combo1->currentIndex() + 1);
    const int pos = Combo2->currentIndex();
    if (pos >= 0 && pos <= 3) st.Velocidad_Com = std::atoi(kVelocidades[pos]);
    if (const auto t = chosen_target()) ConnectionMemory::save({t->text(), st.Velocidad_Com, st.Direccion_Rele});
    panels_de_enlace();
    principal_.habilitar(true);
    hide();
}

void Comunicacion::Cancelar_Click() {
    principal_.habilitar(true);
    hide();
}

void Comunicacion::Command1_Click() {
    auto& ctx = principal_.contexto();
    auto& st = ctx.state();
    auto& msg = ctx.messages();
    // No connection while the modem programming has the port.
    if (programando_) return;

    set_escape(false);
    Botones->setEnabled(false);
    auto fin = [this] {
        Botones->setEnabled(true);
        set_escape(true);
    };
    st.Reset_Permitido = true;

    // Refuse rather than guess: connecting at a speed or on a port the user did not
    // choose would talk to the wrong line (or to nothing) without saying so.
    if (Combo2->currentIndex() < 0) {
        msg.message_box(kSinVelocidad, MsgButtons::Ok, MsgIcon::Exclamation, "NEVA");
        fin();
        return;
    }
    std::string por_que;
    const std::optional<PortTarget> destino = chosen_target(&por_que);
    if (!destino) {
        msg.message_box(por_que, MsgButtons::Ok, MsgIcon::Exclamation, "NEVA");
        fin();
        return;
    }
    // The question comes before anything changes: Cancel, or a save that was
    // cancelled or failed, leaves the settings, the link and the setpoints as they were.
    if (!st.Modo_Externo) {
        const MsgAnswer respuesta =
            msg.message_box(Principal::kPreguntaGuardar, MsgButtons::YesNoCancel, MsgIcon::Critical, "NEVA");
        const bool guardado = respuesta != MsgAnswer::Yes ||
                              ctx.archivos().Guardar_Como(ctx.textos_de_eventos()) == FileOutcome::Done;
        principal_.mostrar_modificado();
        if (respuesta == MsgAnswer::Cancel || !guardado) {
            fin();
            return;
        }
    }

    st.Direccion_Rele = static_cast<std::uint8_t>(Byte_UnR1->value());
    // Puerto_Com keeps its number of the program's numbering; a device or network
    // address goes to the port itself.
    if (destino->kind == PortTarget::Kind::Numbered) st.Puerto_Com = static_cast<std::int16_t>(destino->number);
    st.Velocidad_Com = Combo2->currentText().toInt();

    auto& link = ctx.link();
    auto& neva = link.NEVA();
    neva.Puerto_PC = st.Puerto_Com;
    neva.Cadena_Com = std::to_string(st.Velocidad_Com);
    neva.Direccion = st.Direccion_Rele;

    if (!st.Modo_Modem) {
        ctx.port_switch().set_target(*destino);
        target_en_uso_ = *destino;
        if (!link.Conectar(st.Puerto_Com, st.Velocidad_Com, st.Direccion_Rele)) {
            // The port did not open: the link has said so and dropped every request.
            fin();
            return;
        }
        st.Esperando_Respuesta = true;
        tmr_state_com_->set_enabled(true);
        ConnectionMemory::save({destino->text(), st.Velocidad_Com, st.Direccion_Rele});
    } else {
        // The settings are taken, but nothing is dialled: say so where the user looks
        // for the outcome of ON, instead of leaving "Communication Not Stablished".
        Label6->setText(QString::fromLatin1(kModemSinEnlace));
    }

    st.Reset_Permitido = true;
    principal_.poner_titulo(Principal::kTitulo);
    panels_de_enlace();
    fin();
}

void Comunicacion::TmrStateCom_Timer() {
    const auto& st = principal_.contexto().state();
    if (st.En_Linea && !st.Esperando_Respuesta) {
        principal_.set_panel(6, QStringLiteral("Communicating...."));
        Label6->setText(kEstablecida);
        tmr_state_com_->set_enabled(false);
    }
}

void Comunicacion::Command2_Click() {
    // A communication error while the question below is up runs OFF again; the OFF
    // under way finishes the job.
    if (apagando_ || programando_) return;
    auto& ctx = principal_.contexto();
    auto& st = ctx.state();
    auto& link = ctx.link();
    bool recargar = false;
    {
        apagando_ = true;
        struct Fin {
            bool& f;
            ~Fin() { f = false; }
        } fin{apagando_};
        recargar = principal_.guardar_cambios_antes();
    }
    // Cancel keeps a running connection running. After a communication error the link
    // is already down: Cancel then keeps the setpoints, offline, for the user to save.
    if (!recargar && (st.En_Linea || st.Esperando_Respuesta)) return;
    // Stop the link first: the default file load below must not be overwritten by an
    // answer still on its way.
    link.Desconectar();
    st.Error_Comunicacion = true;
    if (recargar) principal_.aplicar_carga(ctx.archivos().Leer_Archivo(ctx.ruta_archivo_defecto()));
    st.En_Linea = false;
    principal_.set_panel(6, Principal::kNoComunicando);
    Label6->setText(kNoEstablecida);
}

void Comunicacion::Modem_Click() {
    auto& ctx = principal_.contexto();
    const auto& st = ctx.state();
    // The programming borrows the link's port; a link that is talking to a relay (or
    // trying to) would send its requests into the modem and take the modem's replies
    // for answers.
    if (st.En_Linea || st.Esperando_Respuesta) {
        ctx.messages().message_box(kModemConLinea, MsgButtons::Ok, MsgIcon::Exclamation, "NEVA");
        return;
    }
    const int option = Option2[0]->isChecked() ? Lectura_Escritura::kDefaultString
                       : Option2[1]->isChecked() ? Lectura_Escritura::kPersonalString
                                                 : -1;
    // The run takes the port and lets the user interface run while it waits: nothing
    // that connects, disconnects or closes the dialog may start meanwhile.
    auto habilitar_controles = [this](bool on) {
        for (QWidget* w : {static_cast<QWidget*>(Frame4), static_cast<QWidget*>(Frame2), static_cast<QWidget*>(Botones)})
            w->setEnabled(on);
    };
    programando_ = true;
    habilitar_controles(false);
    // The modem is programmed on a port of this computer's numbering, whatever the
    // link last used; the link's choice is put back afterwards.
    const PortTarget destino_del_enlace = ctx.port_switch().target();
    ctx.port_switch().set_target(PortTarget::numbered(st.Puerto_Com));
    modem_->Modem_Click(option, Combo3->currentIndex(), Combo4->currentIndex(),
                        Combo4->currentText().toStdString());
    ctx.port_switch().set_target(destino_del_enlace);
    habilitar_controles(true);
    programando_ = false;
}

void Comunicacion::FindRelay_Click() {
    auto& ctx = principal_.contexto();
    const auto& st = ctx.state();
    // The search opens the port itself: a link talking to a relay (or trying to)
    // holds it, and its requests would mix with the search's.
    if (st.En_Linea || ctx.port().is_open() || programando_) {
        ctx.messages().message_box(kBuscarConLinea, MsgButtons::Ok, MsgIcon::Exclamation, "NEVA");
        return;
    }
    std::string error;
    const auto destino = chosen_target(&error);
    if (!destino) {
        ctx.messages().message_box(error, MsgButtons::Ok, MsgIcon::Exclamation, "NEVA");
        return;
    }
    // The search's own port, of the same kind as the link's: a serial port by number
    // or path, a serial device server or a Modbus TCP gateway.
    auto port = QtPorts::make_switch();
    port->set_target(*destino);
    if (destino->kind == PortTarget::Kind::Numbered) port->set_port_number(destino->number);
    auto* dialog = new FindRelayDialog(std::move(port), ctx.timers(), Combo1->currentText(), this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->on_choose = [this](const FoundRelay& f) {
        const int i = Combo2->findText(QString::number(f.speed));
        if (i >= 0) Combo2->setCurrentIndex(i);
        Byte_UnR1->setValue(f.address);
    };
    dialog->open();
}

}  // namespace neva
