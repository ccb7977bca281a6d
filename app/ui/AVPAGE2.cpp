#include "ui/AVPAGE2.h"

#include <QPushButton>

#include "ui/AppContext.h"

namespace neva {

namespace {

ActualValuePage::Definicion pagina_AVPAGE2() {
    return {"AVPAGE2",
            "ACTUAL VALUES - Maintenance Data",
            "Maintenance Data:",
            2,
            5,
            1500,
            false,
            {{"Trips Counter:", 16, false},
             {"Phase O/C Trips:", 20, false},
             {"Groung O/C Trips:", 21, false},
             {"Openning Counter:", 22, false},
             {"Accumulated Amp on Phase A:", 17, true},
             {"Accumulated Amp on Phase B:", 18, true},
             {"Accumulated Amp on Phase C:", 19, true}}};
}

}  // namespace

AVPAGE2::AVPAGE2(Principal& principal) : ActualValuePage(pagina_AVPAGE2(), principal) {
    cmdClear = new QPushButton(QStringLiteral("Clear"), this);
    cmdClear->setObjectName("cmdClear");
    agregar_boton(cmdClear);
    connect(cmdClear, &QPushButton::clicked, this, [this] { cmdClear_Click(); });
    Form_Load();
}

void AVPAGE2::cmdClear_Click() {
    // Command 8 on the one-off channel: it goes before the next poll.
    borrar_en_el_rele("Are your sure that you want to clear Maintenance Data?", kTituloClear, 12);
}

}  // namespace neva
