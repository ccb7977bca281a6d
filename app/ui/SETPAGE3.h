#pragma once
// "SETPOINTS - Output Relays Configuration": latched or pulsed operation of the trip
// and the three auxiliary relays, with the pulse time of each. Block 1.
// Interlock: a pulse time shows only while its relay is "Pulsed".

#include "ui/SetpointPage.h"

namespace neva {

class SETPAGE3 : public SetpointPage {
    Q_OBJECT
public:
    SETPAGE3(AppContext& ctx, EnableMainWindow enable_main, QWidget* parent = nullptr);

protected:
    void bits_changed(const QString& name, Bits& control) override;
};

}  // namespace neva
