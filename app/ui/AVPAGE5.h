#pragma once
// "ACTUAL VALUES - Last Trip Data": the cause, date and time of the last trip and
// the currents measured just before it, read from the relay every 1.5 s.

#include "ui/ActualValuePage.h"

namespace neva {

class AVPAGE5 : public ActualValuePage {
    Q_OBJECT
public:
    explicit AVPAGE5(Principal& principal);
};

}  // namespace neva
