#include "controls/Calculadora.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace neva {

namespace {
QString q(const std::string& s) { return QString::fromStdString(s); }
QString q(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<int>(s.size())); }
}  // namespace

Calculadora::Calculadora(CalcHandover& calc, MessageService& messages, QWidget* parent)
    : QDialog(parent), entry_(calc, messages) {
    setObjectName("Calculadora");
    setWindowTitle(QStringLiteral("NEVA"));
    setModal(true);

    Titulo = new QLabel(this);
    Titulo->setObjectName("Titulo");
    QFont bold = Titulo->font();
    bold.setBold(true);
    Titulo->setFont(bold);
    Viejo = new QLabel(this);
    Viejo->setObjectName("Viejo");
    Rango = new QLabel(this);
    Rango->setObjectName("Rango");
    Incremento = new QLabel(this);
    Incremento->setObjectName("Incremento");
    Incremento_b = new QLabel(this);
    Incremento_b->setObjectName("Incremento_b");
    Incremento_c = new QLabel(this);
    Incremento_c->setObjectName("Incremento_c");

    auto* info = new QGridLayout;
    info->addWidget(Titulo, 0, 0, 1, 2);
    info->addWidget(new QLabel(q(NumericEntry::kOldValueCaption), this), 1, 0);
    info->addWidget(Viejo, 1, 1);
    info->addWidget(new QLabel(q(NumericEntry::kRangeCaption), this), 2, 0);
    info->addWidget(Rango, 2, 1);
    info->addWidget(new QLabel(q(NumericEntry::kIncrementCaption), this), 3, 0, Qt::AlignTop);
    auto* steps = new QVBoxLayout;
    steps->setSpacing(0);
    steps->addWidget(Incremento);
    steps->addWidget(Incremento_b);
    steps->addWidget(Incremento_c);
    info->addLayout(steps, 3, 1);
    info->setColumnStretch(1, 1);

    Pantalla = new QLineEdit(this);
    Pantalla->setObjectName("Pantalla");
    Pantalla->setAlignment(Qt::AlignRight);
    connect(Pantalla, &QLineEdit::textEdited, this, [this](const QString& t) { entry_.set_pantalla(t.toStdString()); });

    auto* keys = new QGridLayout;
    for (int d = 0; d <= 9; ++d) {
        Numeros[d] = new QPushButton(QString::number(d), this);
        Numeros[d]->setObjectName(QStringLiteral("Numeros(%1)").arg(d));
        Numeros[d]->setAutoDefault(false);
        connect(Numeros[d], &QPushButton::clicked, this, [this, d] {
            entry_.press_digit(d);
            show_display();
        });
    }
    Command2 = new QPushButton(QStringLiteral("."), this);
    Command2->setObjectName("Command2");
    Command1 = new QPushButton(QStringLiteral("CE"), this);
    Command1->setObjectName("Command1");
    for (QPushButton* b : {Command1, Command2}) b->setAutoDefault(false);
    connect(Command2, &QPushButton::clicked, this, [this] {
        entry_.press_point();
        show_display();
    });
    connect(Command1, &QPushButton::clicked, this, [this] {
        entry_.press_ce();
        show_display();
    });
    // Rows 7 8 9 / 4 5 6 / 1 2 3 / . 0 CE.
    for (int row = 0; row < 3; ++row)
        for (int col = 0; col < 3; ++col) keys->addWidget(Numeros[7 - 3 * row + col], row, col);
    keys->addWidget(Command2, 3, 0);
    keys->addWidget(Numeros[0], 3, 1);
    keys->addWidget(Command1, 3, 2);

    OK = new QPushButton(QStringLiteral("OK"), this);
    OK->setObjectName("OK");
    OK->setDefault(true);  // the Enter button
    Cancel = new QPushButton(QStringLiteral("Cancel"), this);
    Cancel->setObjectName("Cancel");
    Cancel->setAutoDefault(false);
    connect(OK, &QPushButton::clicked, this, [this] { ok_click(); });
    connect(Cancel, &QPushButton::clicked, this, &Calculadora::reject);

    auto* buttons = new QVBoxLayout;
    buttons->addWidget(OK);
    buttons->addWidget(Cancel);
    buttons->addStretch(1);
    auto* pad = new QHBoxLayout;
    pad->addLayout(keys);
    pad->addLayout(buttons);

    auto* all = new QVBoxLayout(this);
    all->addLayout(info);
    all->addWidget(Pantalla);
    all->addLayout(pad);

    entry_.load();
    Titulo->setText(q(entry_.Titulo()));
    Viejo->setText(q(entry_.Viejo()));
    Rango->setText(q(entry_.Rango()));
    Incremento->setText(q(entry_.Incremento()));
    Incremento_b->setText(q(entry_.Incremento_b()));
    Incremento_c->setText(q(entry_.Incremento_c()));
    // setVisible on a dialog not yet shown only records the wish; isHidden() tells it.
    Incremento_b->setVisible(entry_.incremento_b_visible());
    Incremento_c->setVisible(entry_.incremento_c_visible());
    show_display();
    Pantalla->setFocus();
}

void Calculadora::show_display() { Pantalla->setText(q(entry_.Pantalla())); }

void Calculadora::ok_click() {
    // The box may have been typed into since the last key: take the text as it stands.
    entry_.set_pantalla(Pantalla->text().toStdString());
    if (entry_.ok()) QDialog::accept();
}

void Calculadora::closeEvent(QCloseEvent* e) {
    // No result is defined for the frame's close box: it is a Cancel, whether or not
    // the window manager got the dialog on screen.
    if (!entry_.closed()) entry_.cancel();
    QDialog::closeEvent(e);
}

void Calculadora::reject() {
    // Cancel, Esc and the frame's close box all bring the old value back.
    if (!entry_.closed()) entry_.cancel();
    QDialog::reject();
}

}  // namespace neva
