#include "history/HistoryRecorder.h"

#include <algorithm>

namespace neva {

namespace {
constexpr int kIdentificacion = 60;
constexpr int kLeerBloque1 = 61, kLeerBloque2 = 62;
}  // namespace

HistoryRecorder::HistoryRecorder(LinkController& link, const SharedState& state, const RegisterImages& images,
                                 const Clock& clock, SnapshotStore& store, Identity identity)
    : link_(link), state_(state), images_(images), clock_(clock), store_(store), identity_(std::move(identity)) {
    observer_ = link_.add_answer_listener([this](int accion, bool ok) { exchange_ended(accion, ok); });
    NEVA200& neva = link_.NEVA();
    neva.on_read_back = [this](int block) { read_belongs_to_write(block); };
    neva.on_writes_verified = [this](const std::vector<int>& blocks) { writes_verified(blocks); };
}

HistoryRecorder::~HistoryRecorder() {
    link_.remove_answer_listener(observer_);
    link_.NEVA().on_read_back = nullptr;
    link_.NEVA().on_writes_verified = nullptr;
}

void HistoryRecorder::read_belongs_to_write(int block) {
    if (block == 1 || block == 2) read_back_[block - 1] = true;
}

void HistoryRecorder::exchange_ended(int accion, bool ok) {
    if (!ok) return;
    if (accion == kIdentificacion) {
        // A new connection (or another relay on the line): nothing read before counts.
        known_ = {};
        read_back_ = {};
        stored_on_line_ = false;
        return;
    }
    if (accion != kLeerBloque1 && accion != kLeerBloque2) return;
    const int b = accion - kLeerBloque1;
    known_[b] = true;
    if (read_back_[b]) {
        read_back_[b] = false;
        return;
    }
    if (!known_[0] || !known_[1] || block_read_pending()) return;
    // A page opened again reads what is already recorded: only a read that finds the
    // relay's setpoints changed since this connection's last snapshot is a new as-found.
    // Only the two blocks count, as only they are stored: bytes past them may hold
    // what a loaded file had there.
    const auto& img = images_.Imagen_Setpoints;
    if (stored_on_line_ && std::equal(img.begin(), img.begin() + kBlock2.last + 1, last_.setpoints.begin())) return;
    store(SnapshotKind::AsFound);
}

bool HistoryRecorder::block_read_pending() {
    const Proceso_Comunicacion& colas = link_.Colas();
    for (int slot = 0; slot < Proceso_Comunicacion::kSlots; ++slot) {
        const int accion = colas.Cola_Accion[0][slot];
        if (colas.Cola_Estado[0][slot] == Proceso_Comunicacion::kPending &&
            (accion == kLeerBloque1 || accion == kLeerBloque2))
            return true;
    }
    return false;
}

void HistoryRecorder::writes_verified(const std::vector<int>& blocks) {
    for (int b : blocks)
        if (b == 1 || b == 2) known_[b - 1] = true;
    if (!known_[0] || !known_[1]) {
        // Only one block was written and the other was never read from this relay:
        // a snapshot would pass off the other block of the working setpoints as the
        // relay's.
        error_ = "the as-left snapshot was not stored: the other setpoint block has not been read from the relay";
        if (on_failed) on_failed(error_);
        return;
    }
    store(SnapshotKind::AsLeft);
}

void HistoryRecorder::store(SnapshotKind kind) {
    Snapshot s;
    s.taken_at = iso_date_time(clock_.now());
    s.kind = kind;
    s.relay_name = trimmed(state_.Nombre_Rele.str());
    s.port = identity_.port ? identity_.port() : std::string();
    s.baud = line_speed(state_, s.port);
    s.address = state_.Direccion_Rele;
    s.firmware = trimmed(state_.Version_Rele);
    s.user = identity_.user;
    s.program = identity_.program;
    // Only the two blocks: the rest of the image is no register of the relay.
    const auto& img = images_.Imagen_Setpoints;
    std::copy(img.begin(), img.begin() + kBlock2.last + 1, s.setpoints.begin());

    std::string why;
    if (!store_.add(s, why)) {
        error_ = why.empty() ? std::string("the settings history could not be written") : why;
        if (on_failed) on_failed(error_);
        return;
    }
    error_.clear();
    last_ = s;
    stored_ = stored_on_line_ = true;
    if (on_stored) on_stored(s);
}

}  // namespace neva
