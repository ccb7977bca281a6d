#pragma once
// "ACTUAL VALUES - Maintenance Data": the trip and opening counters and the
// accumulated amperes per phase, read from the relay every 1.5 s, with Clear to
// reset the relay's maintenance counters.

#include "ui/ActualValuePage.h"

class QPushButton;

namespace neva {

class AVPAGE2 : public ActualValuePage {
    Q_OBJECT
public:
    static constexpr const char* kTituloClear = "NEVA Clear Maintenance Data";

    explicit AVPAGE2(Principal& principal);

    // Clear: communicating, asks and queues the clear-maintenance command; offline,
    // says that it needs the relay.
    void cmdClear_Click();

    QPushButton* cmdClear = nullptr;
};

}  // namespace neva
