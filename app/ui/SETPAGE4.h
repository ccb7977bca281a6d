#pragma once
// "SETPOINTS - Digital Inputs Configuration": the function of each of the three
// digital inputs and the contact state that makes it active. Block 1. No interlocks.

#include "ui/SetpointPage.h"

namespace neva {

class SETPAGE4 : public SetpointPage {
    Q_OBJECT
public:
    SETPAGE4(AppContext& ctx, EnableMainWindow enable_main, QWidget* parent = nullptr);
};

}  // namespace neva
