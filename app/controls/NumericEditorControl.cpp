#include "controls/NumericEditorControl.h"

#include <QEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QToolButton>

#include "controls/Calculadora.h"

namespace neva {

namespace {
// The forms were laid out in twips; at the usual 96 dots an inch a pixel is 15 twips.
constexpr int px(int twips) { return (twips + 7) / 15; }
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
}

NumericEditorControl::~NumericEditorControl() {
    // The model outlives nothing of ours, but its events must not reach a half-destroyed widget.
    model_->on_refresh = nullptr;
    model_->on_change = nullptr;
    model_->on_click = nullptr;
    model_->on_dbl_click = nullptr;
}

bool NumericEditorControl::Inicializacion() { return model_->Inicializacion(); }

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
        }
    }
    return QWidget::eventFilter(watched, e);
}

}  // namespace neva
