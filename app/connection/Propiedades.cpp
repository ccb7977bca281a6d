#include "connection/Propiedades.h"

#include <QCloseEvent>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/Principal.h"

namespace neva {

Propiedades::Propiedades(Principal& principal) : QDialog(&principal), principal_(principal) {
    setObjectName("Propiedades");
    setWindowTitle(QStringLiteral("Properties"));
    Text1 = new QLineEdit(this);
    Text2 = new QLineEdit(this);
    Text3 = new QPlainTextEdit(this);
    Text5 = new QLineEdit(this);
    Text1->setMaxLength(20);
    Text2->setMaxLength(20);
    Text3->setFixedHeight(Text3->fontMetrics().lineSpacing() * 4 + 12);
    Text5->setReadOnly(true);
    Okey = new QPushButton(QStringLiteral("OK"), this);
    Cancel = new QPushButton(QStringLiteral("Cancel"), this);
    Okey->setDefault(true);

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Programer:"), Text1);
    form->addRow(QStringLiteral("Relay's Name:"), Text2);
    form->addRow(QStringLiteral("Observations:"), Text3);
    form->addRow(QStringLiteral("Relay Firmware:"), Text5);
    auto* botones = new QHBoxLayout;
    botones->addStretch(1);
    botones->addWidget(Okey);
    botones->addWidget(Cancel);
    auto* todo = new QVBoxLayout(this);
    todo->addLayout(form);
    todo->addLayout(botones);
    setMinimumWidth(420);

    connect(Okey, &QPushButton::clicked, this, &Propiedades::Okey_Click);
    connect(Cancel, &QPushButton::clicked, this, &Propiedades::Cancel_Click);
}

void Propiedades::Form_Load() {
    const auto& st = principal_.contexto().state();
    principal_.habilitar(false);
    // The texts are kept blank-padded, one byte per character as the setpoint file
    // stores them; the boxes show them without the padding.
    Text2->setText(QString::fromLatin1(st.Nombre_Rele.trimmed_right()));
    Text1->setText(QString::fromLatin1(st.Programador.trimmed_right()));
    Text3->setPlainText(QString::fromLatin1(st.Observaciones.trimmed_right()));
    Text5->setText(QString::fromLatin1(st.Version_Rele));
}

void Propiedades::Okey_Click() {
    auto& st = principal_.contexto().state();
    principal_.habilitar(true);
    // One byte per character, so that a 20-character name fills exactly 20 bytes.
    st.Programador = Text1->text().toLatin1().toStdString();
    st.Observaciones = Text3->toPlainText().toLatin1().toStdString();
    st.Nombre_Rele = Text2->text().toLatin1().toStdString();
    hide();
}

void Propiedades::Cancel_Click() {
    principal_.habilitar(true);
    hide();
}

void Propiedades::reject() { Cancel_Click(); }

void Propiedades::closeEvent(QCloseEvent* e) {
    principal_.habilitar(true);
    QDialog::closeEvent(e);
}

}  // namespace neva
