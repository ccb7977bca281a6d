#include "controls/NumericEditorControl.h"

#include <QEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QStringList>
#include <QToolButton>

#include "controls/Calculadora.h"
#include "editors/NumericEntry.h"

namespace neva {

namespace {
// The forms were laid out in twips; at the usual 96 dots an inch a pixel is 15 twips.
constexpr int px(int twips) { return (twips + 7) / 15; }

// The tool tip builds the entry's texts without showing the entry: nothing is asked.
class NoMessages : public MessageService {
public:
    MsgAnswer message_box(const std::string&, MsgButtons, MsgIcon, const std::string&) override {
        return MsgAnswer::Cancel;
    }
    std::optional<std::string> input_box(const std::string&, const std::string&, const std::string&) override {
        return std::nullopt;
    }
    std::optional<std::string> open_file_name(const FileDialogSetup&) override { return std::nullopt; }
    std::optional<std::string> save_file_name(const FileDialogSetup&) override { return std::nullopt; }
};

// Ten presses of the spinner for PageUp and PageDown.
constexpr int kPageSteps = 10;
}  // namespace

NumericEditorControl::NumericEditorControl(std::unique_ptr<NumericEditor> model, CalcHandover& calc,
                                           MessageService& messages, QWidget* parent)
    : QWidget(parent), model_(std::move(model)), calc_(calc), messages_(messages) {
    Text1 = new QLineEdit(this);
    Text1->setObjectName("Text1");
    // Typed text never changes the value: every entry goes through the numeric dialog,
    // which checks it against the limits and the step grid.
    Text1->setReadOnly(true);
    Text1->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    Text1->setCursor(Qt::PointingHandCursor);
    Text1->installEventFilter(this);
    // The value box takes the keyboard focus in tab order; the spinner buttons do not,
    // their work is done by the arrow keys.
    Text1->setFocusPolicy(Qt::StrongFocus);
    setFocusProxy(Text1);

    UpButton = new QToolButton(this);
    UpButton->setObjectName("UpButton");
    UpButton->setArrowType(Qt::UpArrow);
    UpButton->setAutoRepeat(true);
    DownButton = new QToolButton(this);
    DownButton->setObjectName("DownButton");
    DownButton->setArrowType(Qt::DownArrow);
    DownButton->setAutoRepeat(true);
    for (QToolButton* b : {UpButton, DownButton}) b->setFocusPolicy(Qt::NoFocus);
    connect(UpButton, &QToolButton::clicked, this, [this] { up_click(); });
    connect(DownButton, &QToolButton::clicked, this, [this] { down_click(); });

    model_->on_refresh = [this] { repaint_value_box(); };
    model_->on_change = [this] { emit Change(); };
    model_->on_click = [this] { emit Click(); };
    model_->on_dbl_click = [this] { emit DblClick(); };

    show_dialog = [this] {
        Calculadora dialog(calc_, messages_, window());
        dialog.exec();
    };
    setEnabled(model_->Enabled);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    repaint_value_box();
    resize(sizeHint());
    setToolTip(tool_tip_text());
}

NumericEditorControl::~NumericEditorControl() {
    // The model outlives nothing of ours, but its events must not reach a half-destroyed widget.
    model_->on_refresh = nullptr;
    model_->on_change = nullptr;
    model_->on_click = nullptr;
    model_->on_dbl_click = nullptr;
}

bool NumericEditorControl::Inicializacion() {
    const bool ok = model_->Inicializacion();
    setToolTip(tool_tip_text());
    return ok;
}

QString NumericEditorControl::tool_tip_text() const {
    CalcHandover calc = calc_;
    model_->fill_handover(calc);
    if (model_->escala_a() == 0) return {};
    NoMessages none;
    NumericEntry entry(calc, none);
    entry.load();
    auto t = [](const std::string& s) { return QString::fromStdString(s).trimmed(); };
    QStringList lines;
    if (!t(entry.Titulo()).isEmpty()) lines << t(entry.Titulo());
    lines << QStringLiteral("%1 %2").arg(t(std::string(NumericEntry::kRangeCaption)), t(entry.Rango()));
    lines << QStringLiteral("%1 %2").arg(t(std::string(NumericEntry::kIncrementCaption)), t(entry.Incremento()));
    if (entry.incremento_b_visible()) lines << t(entry.Incremento_b());
    if (entry.incremento_c_visible()) lines << t(entry.Incremento_c());
    lines << QStringLiteral("Register: %1").arg(t(model_->Direccion).toUpper());
    lines << QStringLiteral("Up/Down: one step, PageUp/PageDown: ten steps, Enter or F2: type a value");
    return lines.join('\n');
}

bool NumericEditorControl::handle_key(int key) {
    switch (key) {
        case Qt::Key_Up: up_click(); return true;
        case Qt::Key_Down: down_click(); return true;
        case Qt::Key_PageUp:
        case Qt::Key_PageDown:
            // Ten presses of the arrow, each checked as a press is: the run ends at
            // the limit instead of pressing against it.
            for (int i = 0; i < kPageSteps && isEnabled(); ++i) {
                const std::int32_t before = model_->Value;
                if (key == Qt::Key_PageUp) up_click();
                else down_click();
                if (model_->Value == before) break;
            }
            return true;
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_F2: value_box_click(); return true;
        default: return false;
    }
}

QString NumericEditorControl::text() const { return Text1->text(); }

void NumericEditorControl::down_click() {
    if (isEnabled()) model_->spin_down();
}

void NumericEditorControl::up_click() {
    if (isEnabled()) model_->spin_up();
}

void NumericEditorControl::value_box_click() {
    if (!isEnabled()) return;
    model_->click_value_box(show_dialog);
}

void NumericEditorControl::value_box_dbl_click() { model_->double_click(); }

void NumericEditorControl::repaint_value_box() {
    Text1->setText(QString::fromStdString(model_->Text));
    Text1->setCursorPosition(0);
}

QSize NumericEditorControl::sizeHint() const {
    const int h = Text1->sizeHint().height();
    return {px(1335), h};
}

void NumericEditorControl::resizeEvent(QResizeEvent* e) {
    QWidget::resizeEvent(e);
    // Value box: all but the spinner's 252 twips; spinner 255 twips wide, 3 twips to
    // the right of the box, both as high as the control.
    const int w = width(), h = height();
    const int box = std::max(0, w - px(252));
    Text1->setGeometry(0, 0, box, h);
    const int spin_left = box;
    const int spin_w = std::max(1, w - spin_left);
    UpButton->setGeometry(spin_left, 0, spin_w, h / 2);
    DownButton->setGeometry(spin_left, h / 2, spin_w, h - h / 2);
    emit Resize();
}

void NumericEditorControl::changeEvent(QEvent* e) {
    if (e->type() == QEvent::EnabledChange) model_->Enabled = isEnabled();
    QWidget::changeEvent(e);
}

bool NumericEditorControl::eventFilter(QObject* watched, QEvent* e) {
    if (watched == Text1) {
        if (e->type() == QEvent::MouseButtonPress) {
            auto* me = static_cast<QMouseEvent*>(e);
            if (me->button() == Qt::LeftButton) {
                value_box_click();
                return true;
            }
        } else if (e->type() == QEvent::MouseButtonDblClick) {
            value_box_dbl_click();
            return true;
        } else if (e->type() == QEvent::KeyPress) {
            auto* ke = static_cast<QKeyEvent*>(e);
            if (ke->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) return QWidget::eventFilter(watched, e);
            if (handle_key(ke->key())) return true;
        }
    }
    return QWidget::eventFilter(watched, e);
}

}  // namespace neva
