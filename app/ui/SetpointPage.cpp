#include "ui/SetpointPage.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QSignalBlocker>
#include <algorithm>

#include "controls/Bits.h"
#include "controls/Byte_UnR.h"
#include "controls/Word_DosR.h"
#include "controls/Word_TresR.h"
#include "controls/Word_UnR.h"
#include "image/Manejo_de_Datos.h"
#include "link/NEVA200.h"

namespace neva {

namespace {

QString q(const std::string& s) { return QString::fromStdString(s); }

// A frame named like a form control ("Frame2") has no caption on the page.
bool frame_without_caption(const QString& name) {
    static const QRegularExpression control_name(QStringLiteral("^Frame\\d+$"));
    return control_name.match(name).hasMatch();
}

struct FieldBinding {
    int position;
    int data_len;
    int high;
};

FieldBinding binding_of(const RegisterMapEntry& e) {
    return {Posicion_Setpoint(e.address()), e.properties.read_long("DataLen", default_data_len(e.kind)),
            e.properties.read_long("High", 0)};
}

std::vector<int> list_bits(const RegisterMapEntry& e) {
    const int tipo = e.properties.read_long("Tipo", 0);
    std::vector<int> bits;
    for (int k = 0; k <= std::clamp(tipo, 0, 3); ++k)
        bits.push_back(e.properties.read_long("Bit" + std::to_string(k + 1), 0));
    return bits;
}

constexpr const char* kScratchSaved = "Setpoints were Saved to the Computer's Scratch memory";

}  // namespace

SetpointPage::SetpointPage(const char* page_name, AppContext& ctx, EnableMainWindow enable_main, QWidget* parent)
    : QWidget(parent), ctx_(ctx), enable_main_(std::move(enable_main)) {
    page_ = shipped_register_map().page(page_name);
    if (!page_) {
        // A map that failed its checks leaves the page without controls; it still opens,
        // empty, on the block it always had.
        fallback_.name = page_name;
        fallback_.caption = page_name;
        fallback_.block = fallback_.name == "SETPAGE6" ? 2 : 1;
        page_ = &fallback_;
    }
    setObjectName(page_name);
    setWindowTitle(q(page_->caption));
    setWindowFlag(Qt::Dialog);
    // EXIT and the close box unload the page; the main window makes a new one next time.
    setAttribute(Qt::WA_DeleteOnClose);
}

SetpointPage::~SetpointPage() {
    if (watching_) ctx_.NEVA().ComunicacionFinalizada = previous_completion_;
}

void SetpointPage::build() {
    for (const RegisterMapEntry* e : shipped_register_map().page_entries(page_->name)) build_row(*e);

    Command1 = new QPushButton(QStringLiteral("STORE"), this);
    Command1->setObjectName("Command1");
    Command2 = new QPushButton(QStringLiteral("EXIT"), this);
    Command2->setObjectName("Command2");
    connect(Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
    connect(Command2, &QPushButton::clicked, this, [this] { Command2_Click(); });

    // The lists are filled when the page is built, so that a page loaded only to be
    // printed shows its names too.
    for (const Row& r : rows_)
        if (r.bits) r.bits->Crear_Items();

    place_controls();
    watch_block_reads();
}

void SetpointPage::build_row(const RegisterMapEntry& e) {
    const QString frame_name = q(e.frame);
    QGroupBox*& frame = frames_[frame_name];
    if (!frame) {
        frame = new QGroupBox(frame_without_caption(frame_name) ? QString() : frame_name, this);
        frame->setObjectName(frame_name);
    }

    Row& r = rows_.emplace_back();
    r.entry = &e;
    r.name = q(e.control_name());
    r.label = new QLabel(q(e.label), frame);
    r.label->setObjectName(QStringLiteral("Label ") + r.name);

    RegisterImages& images = ctx_.images();
    CalcHandover& calc = ctx_.state().Calc;
    MessageService& messages = ctx_.messages();
    switch (e.kind) {
        case ControlKind::Byte_UnR: r.editor = new Byte_UnR(e.properties, images, calc, messages, frame); break;
        case ControlKind::Word_UnR: r.editor = new Word_UnR(e.properties, images, calc, messages, frame); break;
        case ControlKind::Word_DosR: r.editor = new Word_DosR(e.properties, images, calc, messages, frame); break;
        case ControlKind::Word_TresR: r.editor = new Word_TresR(e.properties, images, calc, messages, frame); break;
        case ControlKind::Bits: {
            r.bits = new Bits(e.properties, images, frame);
            const QString name = r.name;
            Bits* b = r.bits;
            connect(b, &Bits::Change, this, [this, name, b] { bits_changed(name, *b); });
            r.widget = r.bits;
            break;
        }
        case ControlKind::CheckGroup: {
            auto* boxes = new QWidget(frame);
            auto* lay = new QHBoxLayout(boxes);
            lay->setContentsMargins(0, 0, 0, 0);
            lay->setSpacing(4);
            const QString array = q(e.control);
            for (int b = 0; b < 4; ++b) {
                const QString caption = q(e.properties.read_text("Caption" + std::to_string(b + 1), ""));
                auto* box = new QCheckBox(caption, boxes);
                const int index = e.index + b;
                box->setObjectName(QStringLiteral("%1(%2)").arg(array).arg(index));
                lay->addWidget(box);
                r.checks[b] = box;
                checks_[box->objectName()] = box;
            }
            lay->addStretch(1);
            boxes->setObjectName(r.name);
            r.widget = boxes;
            // toggled() comes when the value changes, by a click or by the refresh,
            // as the boxes' click handlers always ran.
            const std::size_t at = rows_.size() - 1;
            for (int b = 0; b < 4; ++b)
                connect(r.checks[b], &QCheckBox::toggled, this,
                        [this, at, b](bool on) { check_toggled(rows_[at], b, on); });
            break;
        }
        case ControlKind::ListBox: {
            r.list = new QComboBox(frame);
            const int tipo = std::clamp(e.properties.read_long("Tipo", 0), 0, 3);
            const int count = std::clamp(e.properties.read_long("Cantidad_Items", 2), 0, 1 << (tipo + 1));
            for (int k = 0; k < count; ++k)
                r.list->addItem(q(e.properties.read_text("Nombre" + std::to_string(k + 1), "")));
            r.list->setCurrentIndex(-1);
            connect(r.list, &QComboBox::activated, this, [this](int i) { list_choice(i); });
            r.widget = r.list;
            if (!Combo1) Combo1 = r.list;
            break;
        }
    }
    if (r.editor) r.widget = r.editor;
    r.widget->setObjectName(r.name);
    if (e.hidden) {
        r.label->hide();
        r.widget->hide();
    }
}

// ---- Placing ----

std::vector<std::pair<QString, std::vector<const SetpointPage::Row*>>> SetpointPage::rows_by_frame() const {
    std::vector<std::pair<QString, std::vector<const Row*>>> out;
    for (const Row& r : rows_) {
        const QString f = q(r.entry->frame);
        auto it = std::find_if(out.begin(), out.end(), [&](const auto& p) { return p.first == f; });
        if (it == out.end()) {
            out.push_back({f, {}});
            it = std::prev(out.end());
        }
        it->second.push_back(&r);
    }
    return out;
}

void SetpointPage::place_row(const Row& r, int x, int y, int label_width, int control_width) {
    const int h = 24;
    r.label->setGeometry(x, y, label_width, h);
    r.label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    const int ch = std::min(h, std::max(r.widget->sizeHint().height(), 20));
    r.widget->setGeometry(x + label_width, y + (h - ch) / 2, control_width, ch);
}

void SetpointPage::place_controls() {
    int x = 10;
    int bottom = 0;
    for (const auto& [frame_name, rows] : rows_by_frame()) {
        QGroupBox* g = frames_.at(frame_name);
        int label_w = 0, control_w = 140;
        for (const Row* r : rows) {
            label_w = std::max(label_w, r->label->sizeHint().width() + 12);
            control_w = std::max(control_w, r->widget->sizeHint().width() + 4);
        }
        int y = 26;
        for (const Row* r : rows) {
            place_row(*r, 10, y, label_w, control_w);
            if (!r->entry->hidden) y += kRowPitch;
        }
        const int w = 10 + label_w + control_w + 12;
        g->setGeometry(x, 10, w, y + 6);
        x += w + 10;
        bottom = std::max(bottom, 10 + y + 6);
    }
    place_buttons(bottom, x);
}

void SetpointPage::place_buttons(int bottom, int right) {
    Command1->setGeometry(10, bottom + 12, 100, 30);
    Command2->setGeometry(120, bottom + 12, 100, 30);
    setMinimumSize(std::max(right, 230), bottom + 54);
    resize(minimumSize());
}

// ---- Lookup ----

const SetpointPage::Row* SetpointPage::row(const QString& name) const {
    for (const Row& r : rows_)
        if (r.name == name) return &r;
    // A check box array may be named by its first box's array ("chkDiscrep(4)").
    for (const Row& r : rows_)
        for (QCheckBox* c : r.checks)
            if (c && c->objectName() == name) return &r;
    return nullptr;
}

NumericEditorControl* SetpointPage::editor(const QString& name) const {
    const Row* r = row(name);
    return r ? r->editor : nullptr;
}

Bits* SetpointPage::bits(const QString& name) const {
    const Row* r = row(name);
    return r ? r->bits : nullptr;
}

QCheckBox* SetpointPage::check(const QString& control, int index) const {
    auto it = checks_.find(QStringLiteral("%1(%2)").arg(control).arg(index));
    return it == checks_.end() ? nullptr : it->second;
}

QLabel* SetpointPage::label(const QString& name) const {
    const Row* r = row(name);
    return r ? r->label : nullptr;
}

QWidget* SetpointPage::control(const QString& name) const {
    const Row* r = row(name);
    return r ? r->widget : nullptr;
}

QGroupBox* SetpointPage::frame(const QString& caption) const {
    auto it = frames_.find(caption);
    return it == frames_.end() ? nullptr : it->second;
}

bool SetpointPage::row_visible(const QString& name) const {
    const Row* r = row(name);
    return r && r->label->isVisibleTo(this) && r->widget->isVisibleTo(this);
}

void SetpointPage::set_row_visible(const QString& name, bool visible) {
    const Row* r = row(name);
    if (!r) return;
    r->label->setVisible(visible);
    r->widget->setVisible(visible);
}

// ---- Load, refresh, store, exit ----

void SetpointPage::Form_Load() {
    SharedState& st = ctx_.state();
    // A page loaded only to be printed asks the relay for nothing.
    if (st.Imprimiendo) return;

    // As wide as the screen, as high as the main window less 1500 twips, and never
    // smaller than what the page holds.
    const QScreen* s = screen();
    const int screen_w = s ? s->availableGeometry().width() : width();
    const QWidget* main = parentWidget() ? parentWidget()->window() : nullptr;
    const int main_h = main ? main->height() : height();
    resize(std::max(minimumWidth(), screen_w), std::max(minimumHeight(), main_h - px(1500)));

    if (st.En_Linea) {
        if (enable_main_) enable_main_(false);
        // Reset stays out of reach only while the read is being queued.
        st.Reset_Permitido = false;
        ctx_.link().Encolar_Proceso(0, read_action());
        st.Reset_Permitido = true;
    }
    Actualiza_Valores_de_Pantalla();
}

void SetpointPage::Actualiza_Valores_de_Pantalla() {
    for (const Row& r : rows_) {
        if (r.editor) r.editor->Inicializacion();
        if (r.bits) r.bits->Inicializacion();
    }
    const RegisterImages& img = ctx_.images();
    for (const Row& r : rows_) {
        if (r.entry->kind == ControlKind::CheckGroup) {
            const FieldBinding f = binding_of(*r.entry);
            const std::int32_t v = Lee_Setpoint(img, f.position, f.data_len, f.high);
            for (int b = 0; b < 4; ++b) r.checks[b]->setChecked(bit_of(v, b));
        } else if (r.list) {
            const FieldBinding f = binding_of(*r.entry);
            const int offset = r.entry->properties.read_long("ValueOffset", 0);
            const int index = Lee_Bits(img, list_bits(*r.entry), f.position, f.data_len, f.high) - offset;
            if (index >= 0 && index < r.list->count()) {
                {
                    const QSignalBlocker block(r.list);
                    r.list->setCurrentIndex(index);
                }
                // Setting the list's index runs its click handler, as a choice does.
                list_choice(index);
            } else {
                // A value the list has no name for: no choice shown, the relay's bits kept.
                const QSignalBlocker block(r.list);
                r.list->setCurrentIndex(-1);
            }
        }
    }
}

void SetpointPage::Command1_Click() {
    if (ctx_.state().En_Linea) {
        ctx_.link().Encolar_Proceso(0, write_action());
        return;
    }
    Guarda_Edicion(ctx_.images());
    // The scratch memory now holds setpoints no file holds.
    ctx_.state().unsaved_changes = true;
    ctx_.messages().message_box(kScratchSaved, MsgButtons::Ok, MsgIcon::Information, "NEVA");
}

void SetpointPage::Command2_Click() {
    Restaura_Bloque(ctx_.images(), bloque());
    if (enable_main_) enable_main_(true);
    close();
}

void SetpointPage::closeEvent(QCloseEvent* e) {
    // The close box is EXIT: edits not stored are undone, so that a later Save never
    // writes a value no page shows.
    Restaura_Bloque(ctx_.images(), bloque());
    if (enable_main_) enable_main_(true);
    QWidget::closeEvent(e);
}

// ---- Handlers of the page's own controls ----

void SetpointPage::check_toggled(const Row& r, int box, bool on) {
    // Read-modify-write of the register in the edit image: the other functions
    // assigned to the other relays keep their bits.
    const FieldBinding f = binding_of(*r.entry);
    RegisterImages& img = ctx_.images();
    std::int32_t v = Lee_Edicion(img, f.position, f.data_len, f.high);
    if (on)
        v |= (1 << box);
    else
        v &= ~(1 << box);
    Escribe_Edicion_Corta(img, Texto_Hex(v & 0xFFFF, 4), f.position, f.data_len, f.high);
    check_clicked(q(r.entry->control), r.entry->index + box);
}

void SetpointPage::list_choice(int index) {
    const Row* r = nullptr;
    for (const Row& x : rows_)
        if (x.list) r = &x;
    if (!r || index < 0 || index >= r->list->count()) return;
    const FieldBinding f = binding_of(*r->entry);
    const int value = index + r->entry->properties.read_long("ValueOffset", 0);
    RegisterImages& img = ctx_.images();
    const std::int32_t reg = Pon_Bits(img, value, 1, list_bits(*r->entry), f.position, f.data_len, f.high);
    Escribe_Edicion_Corta(img, Texto_Hex(reg & 0xFFFF, 4), f.position, f.data_len, f.high);
    list_clicked(index);
}

void SetpointPage::watch_block_reads() {
    // The read queued at load fills the images when its answer comes; the page then
    // shows the relay's values instead of those it opened with. The link reports
    // every completed exchange through ComunicacionFinalizada, which the main window's
    // link controller handles; the page listens in for as long as it exists.
    NEVA200& link = ctx_.NEVA();
    previous_completion_ = link.ComunicacionFinalizada;
    watching_ = true;
    QPointer<SetpointPage> self(this);
    link.ComunicacionFinalizada = [self, &link, previous = previous_completion_](bool ok) {
        const int accion = link.Accion;  // the exchange that ended; the handler starts the next
        if (previous) previous(ok);
        if (!self) return;
        // A read of the page's block (the one queued at load, or the read-back after a
        // confirmed write) brought the relay's values: the page shows them. A write
        // that failed keeps the user's values in the edit image and on the page.
        if (ok && accion == self->read_action()) self->Actualiza_Valores_de_Pantalla();
    };
}

}  // namespace neva
