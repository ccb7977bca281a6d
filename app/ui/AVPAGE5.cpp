#include "ui/AVPAGE5.h"

namespace neva {

namespace {

ActualValuePage::Definicion pagina_AVPAGE5() {
    return {"AVPAGE5",
            "ACTUAL VALUES - Last Trip Data",
            "Last Trip Data:",
            3,
            6,
            1500,
            false,
            {{"Last Trip Cause:", 33, false},
             {"Last Trip Date And Time:", 34, false},
             {"Pre-Trip Phase A RMS Current:", 36, true},
             {"Pre-Trip Phase B RMS Current:", 37, true},
             {"Pre-Trip Phase C RMS Current:", 38, true},
             {"Pre-Trip Ground RMS Current:", 39, true}}};
}

}  // namespace

AVPAGE5::AVPAGE5(Principal& principal) : ActualValuePage(pagina_AVPAGE5(), principal) { Form_Load(); }

}  // namespace neva
