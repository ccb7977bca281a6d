#include "controls/Bits.h"

#include <QComboBox>
#include <QStringList>
#include <QEvent>
#include <QSignalBlocker>

namespace neva {

Bits::Bits(const PropertyStore& props, RegisterImages& images, QWidget* parent)
    : QWidget(parent), model_(props, images) {
    setObjectName("Bits");
    Combo1 = new QComboBox(this);
    Combo1->setObjectName("Combo1");
    Combo1->installEventFilter(this);
    // activated() comes from the user only; a selection made by the program goes
    // through the model first and is then only shown.
    connect(Combo1, &QComboBox::activated, this, [this](int i) { choose(i); });
    model_.on_change = [this] {
        show_selection();
        emit Change();
    };
    model_.on_dbl_click = [this] { emit DblClick(); };
    setEnabled(model_.Enabled);
    // Which register and bits the choice is coded into, as the relay's register list names them.
    QStringList bits;
    for (int b : model_.field_bits()) bits << QString::number(b);
    setToolTip(QStringLiteral("Register: %1, bit%2 %3")
                   .arg(QString::fromStdString(model_.Direccion).trimmed().toUpper(), bits.size() > 1 ? "s" : "",
                        bits.join(", ")));
    setFocusProxy(Combo1);
    // The control takes the list's height.
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    resize(sizeHint());
}

Bits::~Bits() {
    model_.on_change = nullptr;
    model_.on_dbl_click = nullptr;
}

bool Bits::Crear_Items() {
    const bool ok = model_.Crear_Items();
    const QSignalBlocker block(Combo1);
    Combo1->clear();
    for (const auto& name : model_.items()) Combo1->addItem(QString::fromStdString(name));
    show_selection();
    return ok;
}

bool Bits::Inicializacion() {
    const bool ok = model_.Inicializacion();
    show_selection();  // also when the relay's value has no name: no entry shown
    return ok;
}

bool Bits::choose(int index) {
    const bool ok = model_.choose(index);
    if (!ok) show_selection();
    return ok;
}

QString Bits::current_text() const { return Combo1->currentText(); }

void Bits::show_selection() {
    const QSignalBlocker block(Combo1);
    Combo1->setCurrentIndex(model_.ListIndex());
}

QSize Bits::sizeHint() const { return Combo1->sizeHint(); }

void Bits::resizeEvent(QResizeEvent* e) {
    QWidget::resizeEvent(e);
    // One list as wide as the control; the control takes the list's height.
    Combo1->setGeometry(0, 0, width(), Combo1->sizeHint().height());
}

void Bits::changeEvent(QEvent* e) {
    if (e->type() == QEvent::EnabledChange) model_.Enabled = isEnabled();
    QWidget::changeEvent(e);
}

bool Bits::eventFilter(QObject* watched, QEvent* e) {
    if (watched == Combo1 && e->type() == QEvent::MouseButtonDblClick) model_.double_click();
    return QWidget::eventFilter(watched, e);
}

}  // namespace neva
