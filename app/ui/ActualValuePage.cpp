#include "ui/ActualValuePage.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "image/ModAutoRango.h"
#include "image/ValueFormat.h"
#include "link/NEVA200.h"
#include "ui/AppContext.h"
#include "ui/Principal.h"
#include "ui/ReportExport.h"
#include "ValueExport.h"
#include "compare/SetpointSource.h"

namespace neva {

namespace {

// Labels are written only when their text changes: the page is refreshed every
// tick and must not repaint values that stayed the same.
void poner_texto(QLabel* label, const QString& texto) {
    if (label && label->text() != texto) label->setText(texto);
}

QLabel* etiqueta_valor(const QString& texto, const QString& nombre, QWidget* parent) {
    auto* l = new QLabel(texto, parent);
    l->setObjectName(nombre);
    l->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    QFont f = l->font();
    f.setBold(true);
    l->setFont(f);
    return l;
}

}  // namespace

ActualValuePage::ActualValuePage(Definicion def, Principal& principal)
    : WatchPage(principal, def.intervalo_ms), def_(std::move(def)) {
    setObjectName(def_.nombre);
    setWindowTitle(QString::fromLatin1(def_.titulo));

    auto* raiz = new QVBoxLayout(this);
    Frame1 = new QGroupBox(QString::fromLatin1(def_.marco), this);
    Frame1->setObjectName("Frame1");
    auto* rejilla = new QGridLayout(Frame1);
    rejilla->setHorizontalSpacing(12);
    // Values sit beside their captions; a wide page leaves its extra room on the right.
    rejilla->setColumnStretch(3, 1);
    rejilla->setColumnMinimumWidth(0, 220);
    rejilla->setColumnMinimumWidth(1, 150);
    rejilla->setColumnMinimumWidth(2, 50);

    const int n = static_cast<int>(def_.filas.size());
    LblMed.assign(n, nullptr);
    LblUni.assign(n, nullptr);
    for (int i = 0; i < n; ++i) {
        const Fila& f = def_.filas[i];
        auto* caption = new QLabel(QString::fromLatin1(f.caption), Frame1);
        caption->setObjectName(QStringLiteral("Label%1").arg(i + 1));
        rejilla->addWidget(caption, i, 0);
        LblMed[i] = etiqueta_valor(kSinValor, QStringLiteral("LblMed(%1)").arg(i), Frame1);
        if (f.corriente) {
            rejilla->addWidget(LblMed[i], i, 1);
            LblUni[i] = etiqueta_valor(kSinUnidad, QStringLiteral("LblUni(%1)").arg(i), Frame1);
            LblUni[i]->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
            rejilla->addWidget(LblUni[i], i, 2);
        } else {
            // Texts (a trip cause, a date and time) use the room of the unit too.
            LblMed[i]->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
            rejilla->addWidget(LblMed[i], i, 1, 1, 2);
        }
    }
    raiz->addWidget(Frame1);

    botones_ = new QHBoxLayout();
    botones_->addStretch(1);
    Export = new QPushButton(QStringLiteral("&Export..."), this);
    Export->setObjectName("Export");
    botones_->addWidget(Export);
    connect(Export, &QPushButton::clicked, this, [this] { export_values(); });
    Okey = new QPushButton(QStringLiteral("OK"), this);
    Okey->setObjectName("Okey");
    Okey->setDefault(true);
    botones_->addWidget(Okey);
    raiz->addLayout(botones_);
    raiz->addStretch(1);
    connect(Okey, &QPushButton::clicked, this, [this] { Okey_Click(); });

    timer1_->on_tick = [this] { Timer1_Timer(); };
}

ActualValuePage::~ActualValuePage() = default;

void ActualValuePage::agregar_boton(QPushButton* boton) {
    // Before OK, on the screen and for Tab.
    botones_->insertWidget(botones_->count() - 1, boton);
    setTabOrder(boton, Okey);
}

void ActualValuePage::Form_Load() {
    auto& st = ctx_.state();
    // A page loaded for a print run only shows what the link holds.
    if (st.Imprimiendo) return;

    if (def_.lectura_inmediata && st.En_Linea) {
        ctx_.link().Encolar_Proceso(1, def_.accion);
        Timer1_Timer();
    }

    ocupar_pantalla();

    if (def_.lectura_inmediata) {
        timer1_->set_enabled(st.En_Linea);
        Actualiza_Valores();
    } else {
        Actualiza_Valores();
        timer1_->set_enabled(st.En_Linea);
    }
}

void ActualValuePage::Actualiza_Valores() {
    auto& neva = ctx_.NEVA();
    std::int32_t bloque = def_.bloque;
    neva.Devuelve_Datos(bloque);
    for (std::size_t i = 0; i < def_.filas.size(); ++i) {
        const Fila& f = def_.filas[i];
        const Valor v = neva.DatosDeVariables(f.posicion);
        if (f.corriente) {
            std::string texto, unidad;
            AutoRango(1, texto, unidad, to_fixed(v.number()));
            poner_texto(LblMed[i], QString::fromStdString(texto));
            poner_texto(LblUni[i], QString::fromStdString(unidad));
        } else {
            poner_texto(LblMed[i], QString::fromStdString(v.text()));
        }
    }
}

void ActualValuePage::Timer1_Timer() {
    const bool en_linea = ctx_.state().En_Linea;
    if (en_linea) ctx_.link().Encolar_Proceso(1, def_.accion);
    // Polling stops by itself once the link has gone offline.
    timer1_->set_enabled(en_linea);
    Actualiza_Valores();
    cerrar_si_pedido();
}

void ActualValuePage::Okey_Click() { pedir_cierre(); }

std::string ActualValuePage::values_text(bool json) const {
    std::vector<records::ValueRow> rows;
    const NEVA200& neva = ctx_.NEVA();
    for (std::size_t i = 0; i < def_.filas.size(); ++i) {
        const Fila& f = def_.filas[i];
        records::ValueRow r{f.caption, LblMed[i]->text().toStdString(), LblUni[i] ? LblUni[i]->text().toStdString() : "",
                            std::nullopt};
        // The amperes behind an auto-ranged current, as the link decoded them.
        if (f.corriente) r.amperes = neva.DatosDeVariables(f.posicion).text();
        rows.push_back(std::move(r));
    }
    const std::string time = iso_date_time(ctx_.clock().now());
    return json ? records::values_json(def_.titulo, time, rows) : records::values_csv(def_.titulo, time, rows);
}

bool ActualValuePage::export_values() {
    return save_values_as(ctx_.messages(), [this](bool json) { return values_text(json); });
}

}  // namespace neva
