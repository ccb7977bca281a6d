#include "ui/SETPAGE3.h"

#include <QRegularExpression>

#include "controls/Bits.h"

namespace neva {

SETPAGE3::SETPAGE3(AppContext& ctx, EnableMainWindow enable_main, QWidget* parent)
    : SetpointPage("SETPAGE3", ctx, std::move(enable_main), parent) {
    build();
}

void SETPAGE3::bits_changed(const QString& name, Bits& control) {
    // Page1C(n) is the type of relay n; Byte_UnR1(n) its pulse time, which a latched
    // relay has no use for.
    static const QRegularExpression type(QStringLiteral("^Page1C\\((\\d)\\)$"));
    const auto m = type.match(name);
    if (!m.hasMatch()) return;
    set_row_visible(QStringLiteral("Byte_UnR1(%1)").arg(m.captured(1)), control.ListIndex() != 0);
}

}  // namespace neva
