#pragma once
// "SETPOINTS - System Setup": frequency, CT ratings, ground sensing, breaker type and
// the breaker supervision settings (inner frame Frame2). Block 1.
//
// Interlocks: the discrepancy delay, mechanical operations maximum and accumulated
// amperes level show only while at least one relay of their group is checked; the
// ground CT rating only for zero-sequence sensing; the fuse current only with fuses;
// and the breaker type moves the inner frame so that it covers or uncovers the
// disconnector rows of "System Setup".

#include "ui/SetpointPage.h"

namespace neva {

class SETPAGE2 : public SetpointPage {
    Q_OBJECT
public:
    SETPAGE2(AppContext& ctx, EnableMainWindow enable_main, QWidget* parent = nullptr);

    // Inner frame positions within "System Setup", in twips as the page was drawn.
    static constexpr int kFrame2Left = 5565;
    static constexpr int kFrame2TopDisconnector = 2010;
    static constexpr int kFrame2HeightDisconnector = 3400;
    static constexpr int kFrame2TopBreaker = 660;
    static constexpr int kFrame2HeightBreaker = 4845;

    QGroupBox* Frame2() const { return frame(QStringLiteral("Frame2")); }

protected:
    void place_controls() override;
    void bits_changed(const QString& name, Bits& control) override;
    void check_clicked(const QString& control, int index) override;
    void list_clicked(int index) override;

private:
    void place_frame2(bool disconnector);
};

}  // namespace neva
