#pragma once
// "ACTUAL VALUES - Current Metering": the three phase currents and the ground
// current, auto-ranged, read from the relay every 2 s while communicating.

#include "ui/ActualValuePage.h"

namespace neva {

class AVPAGE1 : public ActualValuePage {
    Q_OBJECT
public:
    explicit AVPAGE1(Principal& principal);
};

}  // namespace neva
