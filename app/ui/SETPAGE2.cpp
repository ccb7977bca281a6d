#include "ui/SETPAGE2.h"

#include <QCheckBox>
#include <QGroupBox>

#include "controls/Bits.h"

namespace neva {

namespace {
constexpr int kFrame2Width = 470;
constexpr int kSystemSetupWidth = 371 + kFrame2Width + 10;
}  // namespace

SETPAGE2::SETPAGE2(AppContext& ctx, EnableMainWindow enable_main, QWidget* parent)
    : SetpointPage("SETPAGE2", ctx, std::move(enable_main), parent) {
    build();
}

void SETPAGE2::place_controls() {
    QGroupBox* setup = frame(QStringLiteral("System Setup"));
    QGroupBox* inner = Frame2();
    if (!setup || !inner) {  // a map without the page's frames: plain rows
        SetpointPage::place_controls();
        return;
    }
    // The inner frame lies inside "System Setup", above the disconnector rows and the
    // hidden copy of its own rows, and paints its background to cover them.
    inner->setParent(setup);
    inner->setAutoFillBackground(true);
    inner->show();

    // Left column: the system rows. Right column: breaker type at the top, above the
    // inner frame's highest position, then the disconnector rows, which the inner
    // frame covers for a circuit breaker.
    const char* left[] = {"Page1C(0)", "PhaseCT(0)", "Combo1", "PhaseCT(1)"};
    for (int k = 0; k < 4; ++k)
        if (const Row* r = row(left[k])) place_row(*r, 10, 18 + 32 * k, 185, 160);
    const std::pair<const char*, int> right[] = {
        {"Page1C(1)", 18}, {"PhaseCT(2)", 50}, {"Page1C(2)", 78}, {"PhaseCT(3)", 106}};
    for (const auto& [name, y] : right)
        if (const Row* r = row(name)) place_row(*r, px(kFrame2Left) + 10, y, 205, 180);

    int k = 0, hidden_k = 0;
    for (const Row& r : rows()) {
        if (r.entry->frame == "Frame2") {
            place_row(r, 8, 6 + 27 * k++, 215, 244);
        } else if (r.entry->hidden) {
            // The never-seen copy: under the inner frame in both of its positions.
            place_row(r, px(kFrame2Left) + 8, px(kFrame2TopDisconnector) + 6 + 27 * hidden_k++, 215, 244);
        }
    }
    const int setup_h = std::max(px(kFrame2TopBreaker) + px(kFrame2HeightBreaker),
                                 px(kFrame2TopDisconnector) + px(kFrame2HeightDisconnector)) +
                        8;
    setup->setGeometry(10, 10, kSystemSetupWidth, setup_h);
    place_frame2(false);
    place_buttons(10 + setup_h, 10 + kSystemSetupWidth + 10);
}

void SETPAGE2::place_frame2(bool disconnector) {
    QGroupBox* inner = Frame2();
    if (!inner) return;
    if (disconnector)
        inner->setGeometry(px(kFrame2Left), px(kFrame2TopDisconnector), kFrame2Width, px(kFrame2HeightDisconnector));
    else
        inner->setGeometry(px(kFrame2Left), px(kFrame2TopBreaker), kFrame2Width, px(kFrame2HeightBreaker));
    inner->raise();
}

void SETPAGE2::bits_changed(const QString& name, Bits& control) {
    if (name == QLatin1String("Page1C(1)")) {
        // "Disconnector" uncovers the disconnector rows; "Circuit Breaker" covers them.
        place_frame2(control.ListIndex() == 1);
    } else if (name == QLatin1String("Page1C(2)")) {
        set_row_visible(QStringLiteral("PhaseCT(3)"), control.ListIndex() != 0);
    }
}

void SETPAGE2::check_clicked(const QString& control, int index) {
    // Only the visible boxes steer the rows; the hidden copy just writes its bit.
    if (control != QLatin1String("chkDiscrep")) return;
    const int group = index / 4;
    int checked = 0;
    for (int b = 0; b < 4; ++b)
        if (QCheckBox* c = check(control, 4 * group + b); c && c->isChecked()) ++checked;
    static const char* const kDelays[] = {"PhaseCT(9)", "PhaseCT(10)", "PhaseCT(11)"};
    if (group >= 0 && group < 3) set_row_visible(QString::fromLatin1(kDelays[group]), checked > 0);
}

void SETPAGE2::list_clicked(int index) {
    // Residual sensing takes the ground current from the phase CTs: no ground CT.
    if (index == 0)
        set_row_visible(QStringLiteral("PhaseCT(1)"), false);
    else if (index == 1)
        set_row_visible(QStringLiteral("PhaseCT(1)"), true);
}

}  // namespace neva
