#include "connection/Propiedades.h"

#include <QCloseEvent>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <QSignalBlocker>
#include <QTextCursor>
#include <QTextDocument>
#include <QPalette>
#include <tuple>

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
    // Display only, and it looks it: no edit field background, no focus.
    {
        QPalette pal = Text5->palette();
        pal.setColor(QPalette::Base, pal.color(QPalette::Window));
        Text5->setPalette(pal);
        Text5->setFocusPolicy(Qt::NoFocus);
    }
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
    connect(Text3, &QPlainTextEdit::textChanged, this, &Propiedades::limitar_observaciones);
}

QByteArray Propiedades::observaciones() const {
    QString t = Text3->toPlainText();
    // The box shows line breaks as one character; the text keeps the ones it came with.
    if (crlf_) t.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    return t.toLatin1();
}

void Propiedades::limitar_observaciones() {
    int exceso = observaciones().size() - static_cast<int>(decltype(SharedState::Observaciones)::kLength);
    if (exceso <= 0) return;
    const QSignalBlocker bloqueo(Text3);
    // What was just typed or pasted ends at the cursor: that is what goes, so the box
    // never holds more than the text keeps.
    QTextCursor c = Text3->textCursor();
    while (exceso > 0 && !Text3->document()->isEmpty()) {
        if (c.position() == 0) c.movePosition(QTextCursor::End);
        const QChar ch = Text3->document()->characterAt(c.position() - 1);
        c.deletePreviousChar();
        exceso -= crlf_ && ch == QChar::ParagraphSeparator ? 2 : 1;
    }
    Text3->setTextCursor(c);
}

void Propiedades::Form_Load() {
    const auto& st = principal_.contexto().state();
    principal_.habilitar(false);
    // The texts are kept blank-padded, one byte per character as the setpoint file
    // stores them; the boxes show them without the padding.
    Text2->setText(QString::fromLatin1(st.Nombre_Rele.trimmed_right()));
    Text1->setText(QString::fromLatin1(st.Programador.trimmed_right()));
    crlf_ = st.Observaciones.str().find("\r\n") != std::string::npos;
    Text3->setPlainText(QString::fromLatin1(st.Observaciones.trimmed_right()));
    observaciones_cargadas_ = Text3->toPlainText();
    Text5->setText(QString::fromLatin1(st.Version_Rele));
}

void Propiedades::Okey_Click() {
    auto& st = principal_.contexto().state();
    principal_.habilitar(true);
    // One byte per character, so that a 20-character name fills exactly 20 bytes.
    const auto antes = std::make_tuple(st.Programador, st.Observaciones, st.Nombre_Rele);
    st.Programador = Text1->text().toLatin1().toStdString();
    // Observations left alone keep their text byte for byte, line breaks included.
    if (Text3->toPlainText() != observaciones_cargadas_) st.Observaciones = observaciones().toStdString();
    st.Nombre_Rele = Text2->text().toLatin1().toStdString();
    // Texts that a save writes and a load replaces: a change is unsaved work.
    if (antes != std::tie(st.Programador, st.Observaciones, st.Nombre_Rele)) st.unsaved_changes = true;
    principal_.mostrar_modificado();
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
