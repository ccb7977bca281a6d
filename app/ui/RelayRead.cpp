#include "ui/RelayRead.h"

#include "ui/AppContext.h"

namespace neva {

RelayRead::RelayRead(AppContext& ctx, QObject* parent) : QObject(parent), ctx_(ctx) {
    // A link that gives up answers nothing more: the watch notices it going offline.
    watch_.setInterval(500);
    connect(&watch_, &QTimer::timeout, this, &RelayRead::check_link);
}

RelayRead::~RelayRead() {
    if (observer_) ctx_.link().remove_answer_listener(*observer_);
}

bool RelayRead::start(Done done) {
    if (running() || !ctx_.state().En_Linea) return false;
    done_ = std::move(done);
    block1_ = block2_ = false;
    observer_ = ctx_.link().add_answer_listener([this](int accion, bool ok) {
        if (!ok) return;  // a bad answer leaves the read pending; it is sent again
        if (accion == 61) block1_ = true;
        if (accion == 62) block2_ = true;
        if (block1_ && block2_) finish(true);
    });
    auto& link = ctx_.link();
    link.Encolar_Proceso(0, 61);
    link.Encolar_Proceso(0, 62);
    link.Despachar_Proceso();
    watch_.start();
    return true;
}

void RelayRead::check_link() {
    const auto& st = ctx_.state();
    if (running() && (!st.En_Linea || st.Error_Comunicacion)) finish(false);
}

void RelayRead::finish(bool ok) {
    watch_.stop();
    ctx_.link().remove_answer_listener(*observer_);
    observer_.reset();
    if (auto done = std::move(done_)) {
        if (!ok) return done(std::nullopt);
        done(relay_source(ctx_.state(), ctx_.images(), ctx_.port_name(), ctx_.clock().now()));
    }
}

}  // namespace neva
