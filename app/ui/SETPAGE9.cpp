#include "ui/SETPAGE9.h"

namespace neva {

SETPAGE9::SETPAGE9(AppContext& ctx, EnableMainWindow enable_main, QWidget* parent)
    : SetpointPage("SETPAGE9", ctx, std::move(enable_main), parent) {
    build();
}

}  // namespace neva
