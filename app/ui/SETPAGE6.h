#pragma once
// "SETPOINTS - Phase and Ground Protections": the timed and instantaneous phase and
// ground overcurrent elements and their alarms. Block 2.
// Interlock: a timed element's fixed delay applies only to the "Definite Time"
// curve, so the small frame holding it shows only while that curve is chosen.

#include "ui/SetpointPage.h"

class QFrame;

namespace neva {

class SETPAGE6 : public SetpointPage {
    Q_OBJECT
public:
    SETPAGE6(AppContext& ctx, EnableMainWindow enable_main, QWidget* parent = nullptr);

    // The frames holding "Phase Timed O/C Delay:" (0) and "Gnd. Timed O/C Delay:" (1).
    QFrame* TimedDelayFrame(int i) const { return i == 0 || i == 1 ? delay_frames_[i] : nullptr; }

protected:
    void place_controls() override;
    void bits_changed(const QString& name, Bits& control) override;

private:
    QFrame* delay_frames_[2] = {nullptr, nullptr};
};

}  // namespace neva
