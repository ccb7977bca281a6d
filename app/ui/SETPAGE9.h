#pragma once
// "SETPOINTS - Event Recorder": which kinds of event the relay records, five bits of
// register 0114. Block 1. No interlocks.

#include "ui/SetpointPage.h"

namespace neva {

class SETPAGE9 : public SetpointPage {
    Q_OBJECT
public:
    SETPAGE9(AppContext& ctx, EnableMainWindow enable_main, QWidget* parent = nullptr);
};

}  // namespace neva
