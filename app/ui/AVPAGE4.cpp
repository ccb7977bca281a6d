#include "ui/AVPAGE4.h"

#include <QEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <cctype>
#include <sstream>

#include "link/NEVA200.h"
#include "link/Valor.h"
#include "text/Csv.h"
#include "text/EventRecord.h"
#include "ui/AppContext.h"
#include "ui/Principal.h"
#include "ui/ReportExport.h"

namespace neva {

namespace {

struct Columna {
    const char* texto;
    const char* clave;
    int porcentaje;
};
constexpr Columna kColumnas[3] = {
    {"ID Event", "Evento ID", 10},
    {"Events", "Eventos", 60},
    {"Date And Time", "Fecha", 30},
};

std::string sin_blancos_finales(const std::string& s) {
    const auto fin = s.find_last_not_of(' ');
    return fin == std::string::npos ? std::string() : s.substr(0, fin + 1);
}

// The relay marks an empty slot of its record with this description.
bool sin_evento(const QString& descripcion) {
    const QString d = descripcion.trimmed().toUpper();
    return d.isEmpty() || d == QLatin1String("NO EVENT");
}

double numero(const QString& texto) { return Valor(texto.toStdString()).number(); }

}  // namespace

bool AVPAGE4::separar(const std::string& texto, Evento& evento) {
    const auto c1 = texto.find(',');
    if (c1 == std::string::npos) return false;
    const auto c2 = texto.find(',', c1 + 1);
    const std::string id = texto.substr(0, c1);
    const std::string desc = c2 == std::string::npos ? texto.substr(c1 + 1) : texto.substr(c1 + 1, c2 - c1 - 1);
    const std::string fecha = c2 == std::string::npos ? std::string() : texto.substr(c2 + 1);
    evento.id = QString::fromStdString(sin_blancos_finales(id));
    evento.descripcion = QString::fromStdString(sin_blancos_finales(desc));
    evento.fecha = QString::fromStdString(sin_blancos_finales(fecha));
    return true;
}

AVPAGE4::AVPAGE4(Principal& principal)
    : WatchPage(principal, 1500) {
    setObjectName("AVPAGE4");
    setWindowTitle(QStringLiteral("ACTUAL VALUES - Events"));

    auto* raiz = new QVBoxLayout(this);
    Frame1 = new QGroupBox(QStringLiteral("Events"), this);
    Frame1->setObjectName("Frame1");
    auto* marco = new QVBoxLayout(Frame1);
    ListView1 = new QTreeWidget(Frame1);
    ListView1->setObjectName("ListView1");
    // A report: no tree lines, whole rows selected, not editable.
    ListView1->setRootIsDecorated(false);
    ListView1->setUniformRowHeights(true);
    ListView1->setSelectionBehavior(QAbstractItemView::SelectRows);
    ListView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ListView1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    ListView1->setMinimumSize(560, 300);
    ListView1->viewport()->installEventFilter(this);
    marco->addWidget(ListView1);
    raiz->addWidget(Frame1, 1);

    auto* botones = new QHBoxLayout();
    botones->addStretch(1);
    Export = new QPushButton(QStringLiteral("&Export..."), this);
    Export->setObjectName("Export");
    botones->addWidget(Export);
    connect(Export, &QPushButton::clicked, this, [this] { export_events(); });
    Clear = new QPushButton(QStringLiteral("Clear"), this);
    Clear->setObjectName("Clear");
    Okey = new QPushButton(QStringLiteral("OK"), this);
    Okey->setObjectName("Okey");
    Okey->setDefault(true);
    botones->addWidget(Clear);
    botones->addWidget(Okey);
    raiz->addLayout(botones);
    connect(Clear, &QPushButton::clicked, this, [this] { Clear_Click(); });
    connect(Okey, &QPushButton::clicked, this, [this] { Okey_Click(); });

    timer1_->on_tick = [this] { Timer1_Timer(); };

    // The page load.
    Crear_Col();
    auto& st = ctx_.state();
    if (st.Imprimiendo) {
        // Loaded to be printed once the link has read the record.
        Actualiza_Valores();
        return;
    }
    ocupar_pantalla();
    Actualiza_Valores();
    timer1_->set_enabled(st.En_Linea);
}

AVPAGE4::~AVPAGE4() = default;

void AVPAGE4::Crear_Col() {
    ListView1->clear();
    ListView1->setColumnCount(3);
    auto* cabecera = ListView1->headerItem();
    for (int c = 0; c < 3; ++c) {
        cabecera->setText(c, QString::fromLatin1(kColumnas[c].texto));
        cabecera->setData(c, Qt::UserRole, QString::fromLatin1(kColumnas[c].clave));
    }
    ajustar_columnas();
}

void AVPAGE4::ajustar_columnas() {
    const int ancho = ListView1->viewport()->width();
    for (int c = 0; c < 3; ++c) ListView1->setColumnWidth(c, ancho * kColumnas[c].porcentaje / 100);
}

bool AVPAGE4::eventFilter(QObject* o, QEvent* e) {
    // The columns keep their shares of the list's width.
    if (o == ListView1->viewport() && e->type() == QEvent::Resize) ajustar_columnas();
    return QWidget::eventFilter(o, e);
}

void AVPAGE4::Actualiza_Valores() { Agregar_Eventos_ListView(); }

std::optional<std::vector<AVPAGE4::Evento>> AVPAGE4::eventos_en_linea() {
    const NEVA200& neva = ctx_.NEVA();
    Evento primero;
    if (!separar(neva.DatosDeVariables(64).text(), primero)) return std::nullopt;
    const double n = numero(primero.id);
    const int filas = static_cast<int>(std::clamp(n, 0.0, double(kFilas)));

    std::vector<Evento> eventos;
    for (int i = 1; i <= filas; ++i) {
        Evento e;
        if (!separar(neva.DatosDeVariables(63 + i).text(), e)) continue;  // not read yet
        if (sin_evento(e.descripcion)) break;
        eventos.push_back(e);
    }
    primer_evento_ = static_cast<int>(n);
    return eventos;
}

std::optional<std::vector<AVPAGE4::Evento>> AVPAGE4::eventos_guardados() const {
    const auto& guardados = ctx_.state().Eventos_Guardados;
    Evento primero;
    if (!separar(guardados[1], primero)) return std::nullopt;

    std::vector<Evento> eventos;
    for (int i = 1; i <= kFilas; ++i) {
        Evento e;
        if (!separar(guardados[i], e)) continue;
        const double n = numero(e.id);
        // A record that wrapped round to its first event again ends the list.
        if (!eventos.empty() && numero(eventos.front().id) == n) break;
        e.id = QString::number(n);
        eventos.push_back(e);
    }
    return eventos;
}

void AVPAGE4::Agregar_Eventos_ListView() {
    const auto eventos = ctx_.state().En_Linea ? eventos_en_linea() : eventos_guardados();
    if (eventos) mostrar(*eventos);
}

std::vector<AVPAGE4::Evento> AVPAGE4::filas() const {
    std::vector<Evento> r;
    for (int i = 0; i < ListView1->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* it = ListView1->topLevelItem(i);
        r.push_back({it->text(0), it->text(1), it->text(2)});
    }
    return r;
}

void AVPAGE4::mostrar(const std::vector<Evento>& eventos) {
    // The list is rebuilt only when what it would show differs from what it shows: a
    // new first event, a different number of rows, or a row the link has read again
    // since (after a new event every slot moves down one, and the slots are re-read
    // one by one after the first). An unchanged record leaves the list alone, so it
    // neither flickers nor loses the user's selection and scroll position.
    if (filas() == eventos) return;
    ++reconstrucciones_;
    ListView1->setUpdatesEnabled(false);
    ListView1->clear();
    QList<QTreeWidgetItem*> items;
    for (std::size_t i = 0; i < eventos.size(); ++i) {
        auto* it = new QTreeWidgetItem(QStringList{eventos[i].id, eventos[i].descripcion, eventos[i].fecha});
        it->setData(0, Qt::UserRole, QStringLiteral("%1Event").arg(i + 1));
        items.push_back(it);
    }
    ListView1->addTopLevelItems(items);
    ListView1->setUpdatesEnabled(true);
}

void AVPAGE4::Timer1_Timer() {
    const bool en_linea = ctx_.state().En_Linea;
    // The record head; its answer makes the link read the events themselves.
    if (en_linea) ctx_.link().Encolar_Proceso(0, 30);
    Actualiza_Valores();
    timer1_->set_enabled(en_linea);
    cerrar_si_pedido();
}

void AVPAGE4::Okey_Click() { pedir_cierre(); }

std::string AVPAGE4::events_text(bool json) const {
    std::vector<EventRow> rows;
    for (const Evento& e : filas())
        rows.push_back({static_cast<int>(numero(e.id)), e.descripcion.toStdString(), e.fecha.toStdString()});
    if (!json) return kUtf8Bom + events_csv(rows);
    // The record's newest event: the head the link read, or offline the first listed.
    const int newest = ctx_.state().En_Linea ? primer_evento_ : rows.empty() ? 0 : rows.front().number;
    std::ostringstream out;
    write_events_json(out, newest, rows);
    return out.str();
}

bool AVPAGE4::export_events() {
    return save_values_as(ctx_.messages(), [this](bool json) { return events_text(json); });
}

void AVPAGE4::Clear_Click() {
    borrar_en_el_rele("Are your sure that you want to clear Events?", kTituloClear, 13);
}

}  // namespace neva
