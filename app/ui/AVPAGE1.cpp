#include "ui/AVPAGE1.h"

#include "trend/MeteringRecorder.h"

namespace neva {

namespace {

ActualValuePage::Definicion pagina_AVPAGE1() {
    return {"AVPAGE1",
            "ACTUAL VALUES - Current Metering",
            "Current Metering",
            1,
            4,
            // The trend window polls at the same interval.
            kMeteringIntervalMs,
            // The currents are wanted at once: the first read is queued at load
            // and once more by the first tick.
            true,
            {{"Phase A Current:", 12, true},
             {"Phase B Current:", 13, true},
             {"Phase C Current:", 14, true},
             {"Ground Current:", 15, true}}};
}

}  // namespace

AVPAGE1::AVPAGE1(Principal& principal) : ActualValuePage(pagina_AVPAGE1(), principal) { Form_Load(); }

}  // namespace neva
