#include "ui/DateTimeConfig.h"

#include <QDateEdit>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTimeEdit>
#include <QVBoxLayout>

#include <QPointer>

#include "link/NEVA200.h"
#include "link/RelayClock.h"
#include "ui/AppContext.h"
#include "ui/Principal.h"

namespace neva {

namespace {

void poner_texto(QLabel* label, const QString& texto) {
    if (label->text() != texto) label->setText(texto);
}

QString sin_blancos_finales(const std::string& s) {
    const auto fin = s.find_last_not_of(' ');
    return fin == std::string::npos ? QString() : QString::fromStdString(s.substr(0, fin + 1));
}

}  // namespace

DateTimeConfig::DateTimeConfig(Principal& principal)
    : WatchPage(principal, 1500) {
    setObjectName("DateTimeConfig");
    setWindowTitle(QStringLiteral("SETPOINTS - Date and Time"));

    auto* raiz = new QVBoxLayout(this);
    Frame1 = new QGroupBox(QStringLiteral("Date/Time Configuration"), this);
    Frame1->setObjectName("Frame1");
    auto* marco = new QGridLayout(Frame1);
    DateSys = new QDateEdit(Frame1);
    DateSys->setObjectName("DateSys");
    DateSys->setCalendarPopup(true);
    // The relay keeps the year in seven bits counted from 2000, and shows it with two
    // digits: a year outside this century cannot be set.
    DateSys->setDateRange(QDate(2000, 1, 1), QDate(2099, 12, 31));
    TimeSys = new QTimeEdit(Frame1);
    TimeSys->setObjectName("TimeSys");
    TimeSys->setDisplayFormat(QStringLiteral("HH:mm:ss"));
    // The pickers start at the computer's date and time, the usual value to send.
    const DateTime ahora = ctx_.clock().now();
    DateSys->setDate(QDate(ahora.year, ahora.month, ahora.day));
    TimeSys->setTime(QTime(ahora.hour, ahora.minute, ahora.second));
    Store = new QPushButton(QStringLiteral("STORE"), Frame1);
    Store->setObjectName("Store");
    marco->addWidget(new QLabel(QStringLiteral("Date System:"), Frame1), 0, 0);
    marco->addWidget(DateSys, 0, 1);
    marco->addWidget(new QLabel(QStringLiteral("Time System:"), Frame1), 1, 0);
    marco->addWidget(TimeSys, 1, 1);
    marco->addWidget(Store, 2, 1, Qt::AlignRight);
    raiz->addWidget(Frame1);

    auto* reloj = new QGridLayout();
    lblFecha = new QLabel(this);
    lblFecha->setObjectName("lblFecha");
    lblHora = new QLabel(this);
    lblHora->setObjectName("lblHora");
    for (QLabel* l : {lblFecha, lblHora}) {
        l->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        l->setMinimumWidth(140);
    }
    reloj->addWidget(new QLabel(QStringLiteral("Actual Relay Date:"), this), 0, 0);
    reloj->addWidget(lblFecha, 0, 1);
    reloj->addWidget(new QLabel(QStringLiteral("Actual Relay Time:"), this), 1, 0);
    reloj->addWidget(lblHora, 1, 1);
    raiz->addLayout(reloj);

    SetNow = new QPushButton(QStringLiteral("Set to &Computer Time"), this);
    SetNow->setObjectName("SetNow");
    SetNow->setToolTip(QStringLiteral("Set the relay clock to this computer's date and time"));
    lblDiferencia = new QLabel(this);
    lblDiferencia->setObjectName("lblDiferencia");
    lblDiferencia->setWordWrap(true);
    auto* ajuste = new QHBoxLayout();
    ajuste->addWidget(SetNow);
    ajuste->addWidget(lblDiferencia, 1);
    raiz->addLayout(ajuste);

    auto* botones = new QHBoxLayout();
    botones->addStretch(1);
    Okey = new QPushButton(QStringLiteral("OK"), this);
    Okey->setObjectName("Okey");
    botones->addWidget(Okey);
    raiz->addLayout(botones);
    connect(Store, &QPushButton::clicked, this, [this] { Store_Click(); });
    connect(Okey, &QPushButton::clicked, this, [this] { Okey_Click(); });
    connect(SetNow, &QPushButton::clicked, this, [this] { SetNow_Click(); });

    // Listen in on the link's exchanges while the page exists: the difference is taken
    // when a clock read is answered, so it is the clocks' own, not the poll's delay.
    NEVA200& link = ctx_.NEVA();
    previous_completion_ = link.ComunicacionFinalizada;
    QPointer<DateTimeConfig> self(this);
    link.ComunicacionFinalizada = [self, &link, previous = previous_completion_](bool ok) {
        const int accion = link.Accion;
        // The confirmation of a clock write carries no data and keeps the outcome of
        // the exchange before it: its own answer test says whether it went through.
        const bool valid = (accion == 92 || accion == 93) ? link.Respuesta_Valida() : ok;
        if (previous) previous(ok);
        if (self) self->exchange_ended(accion, valid);
    };

    timer1_->on_tick = [this] { Timer1_Timer(); };

    // The page load.
    auto& st = ctx_.state();
    if (st.Imprimiendo) return;
    timer1_->set_enabled(true);
    if (st.En_Linea) {
        principal_.habilitar(false);
        ctx_.link().Encolar_Proceso(0, 91);
    } else {
        lblHora->setText(QStringLiteral("Not Available"));
        lblFecha->setText(QStringLiteral("Not Availble"));
    }
}

DateTimeConfig::~DateTimeConfig() { ctx_.NEVA().ComunicacionFinalizada = previous_completion_; }

void DateTimeConfig::exchange_ended(int accion, bool valid) {
    if (!valid) return;
    if (accion == 92 && ajuste_ == Ajuste::Writing) ajuste_ = Ajuste::Reading;
    if (accion != 91) return;
    const auto relay = relay_clock(ctx_.images().Imagen_AV);
    if (!relay) {
        diferencia_.reset();
        lblDiferencia->setText(QStringLiteral("The relay clock holds no valid date."));
        return;
    }
    diferencia_ = seconds_between(*relay, ctx_.clock().now());
    const QString ahora = QString::fromStdString(describe_clock_offset(*diferencia_));
    if (ajuste_ == Ajuste::Reading) {
        ajuste_ = Ajuste::None;
        lblDiferencia->setText(QStringLiteral("Set to the computer's time. Before: %1. After: %2.").arg(antes_, ahora));
    } else if (ajuste_ == Ajuste::None && !lblDiferencia->text().startsWith(QStringLiteral("Set to"))) {
        lblDiferencia->setText(ahora.left(1).toUpper() + ahora.mid(1) + QStringLiteral("."));
    }
}

bool DateTimeConfig::confirm_store() {
    auto& mensajes = ctx_.messages();
    if (!ctx_.state().En_Linea) {
        mensajes.message_box("Enabled only on Communication Mode", MsgButtons::Ok, MsgIcon::Information, kTitulo);
        return false;
    }
    return mensajes.message_box("Are your sure that you want to store Date and Time?", MsgButtons::YesNo,
                                MsgIcon::Information, kTitulo) == MsgAnswer::Yes;
}

void DateTimeConfig::SetNow_Click() {
    if (!confirm_store()) return;
    antes_ = diferencia_ ? QString::fromStdString(describe_clock_offset(*diferencia_))
                         : QStringLiteral("the relay clock had not been read");
    // The time is taken after the question, so the relay gets the time of the write.
    const DateTime ahora = ctx_.clock().now();
    escribir_reloj(ahora.day, ahora.month, ahora.year, ahora.hour, ahora.minute, ahora.second);
    ctx_.link().Encolar_Proceso(0, 91);
    ajuste_ = Ajuste::Writing;
    lblDiferencia->setText(QStringLiteral("Setting the relay clock..."));
}

void DateTimeConfig::changeEvent(QEvent* e) {
    if (e->type() == QEvent::ActivationChange && isActiveWindow()) Form_Activate();
    QWidget::changeEvent(e);
}

void DateTimeConfig::Form_Activate() {
    if (ctx_.state().En_Linea) Actualiza_Valores_de_Pantalla();
}

void DateTimeConfig::Actualiza_Valores_de_Pantalla() {
    if (!ctx_.state().En_Linea) {
        poner_texto(lblFecha, QStringLiteral("Not Available"));
        poner_texto(lblHora, QStringLiteral("Not Available"));
        return;
    }
    auto& neva = ctx_.NEVA();
    std::int32_t bloque = 4;
    neva.Devuelve_Datos(bloque);
    // "date time": the date up to the first blank, the time after it.
    const std::string s = neva.DatosDeVariables(40).text();
    const auto blanco = s.find(' ');
    const std::size_t p = blanco == std::string::npos ? 0 : blanco + 1;
    poner_texto(lblFecha, sin_blancos_finales(s.substr(0, p)));
    poner_texto(lblHora, sin_blancos_finales(s.substr(p)));
}

void DateTimeConfig::Timer1_Timer() {
    if (ctx_.state().En_Linea) ctx_.link().Encolar_Proceso(0, 91);
    Actualiza_Valores_de_Pantalla();
    cerrar_si_pedido();
}

void DateTimeConfig::Okey_Click() { pedir_cierre(); }

void DateTimeConfig::Store_Click() {
    if (!confirm_store()) return;
    const QDate d = DateSys->date();
    const QTime t = TimeSys->time();
    escribir_reloj(d.day(), d.month(), d.year(), t.hour(), t.minute(), t.second());
}

void DateTimeConfig::escribir_reloj(int dia, int mes, int anio, int hora, int minuto, int segundo) {
    ctx_.NEVA().Date_Time(dia, mes, anio, hora, minuto, segundo);
    // The new time goes into the relay's clock registers first; the command after it
    // makes the relay take it.
    auto& link = ctx_.link();
    link.Encolar_Proceso(0, 93);
    link.Encolar_Proceso(0, 92);
}

void DateTimeConfig::keyPressEvent(QKeyEvent* e) {
    // OK is also the page's Esc button.
    if (e->key() == Qt::Key_Escape) {
        Okey_Click();
        return;
    }
    QWidget::keyPressEvent(e);
}

}  // namespace neva
