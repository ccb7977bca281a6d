#include "ui/SETPAGE4.h"

namespace neva {

SETPAGE4::SETPAGE4(AppContext& ctx, EnableMainWindow enable_main, QWidget* parent)
    : SetpointPage("SETPAGE4", ctx, std::move(enable_main), parent) {
    build();
}

}  // namespace neva
