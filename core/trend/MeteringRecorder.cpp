#include "trend/MeteringRecorder.h"

namespace neva {

MeteringRecorder::MeteringRecorder(LinkController& link, SharedState& state, TimerFactory& timers, const Clock& clock,
                                   int interval_ms)
    : link_(link),
      state_(state),
      clock_(clock),
      stamps_(clock),
      timer_(timers.make_timer(interval_ms)),
      buffer_(TrendBuffer::capacity_for(kTrendWindowMs, interval_ms), kTrendWindowMs),
      interval_ms_(interval_ms) {
    timer_->on_tick = [this] { tick(); };
    listener_ = link_.add_answer_listener([this](int accion, bool ok) { answered(accion, ok); });
}

MeteringRecorder::~MeteringRecorder() {
    timer_->set_enabled(false);
    timer_->on_tick = nullptr;
    link_.remove_answer_listener(listener_);
}

void MeteringRecorder::start() {
    running_ = true;
    timer_->set_enabled(true);
    tick();
}

void MeteringRecorder::stop() {
    running_ = false;
    timer_->set_enabled(false);
}

bool MeteringRecorder::read_waiting() {
    auto& colas = link_.Colas();
    for (int canal : {0, kPollChannel})
        for (int i = 0; i < Proceso_Comunicacion::kSlots; ++i) {
            const std::int32_t estado = colas.Cola_Estado[canal][i];
            if (colas.Cola_Accion[canal][i] == kMeteringAction &&
                (estado == Proceso_Comunicacion::kPending || estado == Proceso_Comunicacion::kExecuting))
                return true;
        }
    return false;
}

void MeteringRecorder::tick() {
    if (!running_ || !state_.En_Linea || state_.Error_Comunicacion) return;
    // One read at a time: a slow relay must not fill the queue with measurement
    // reads that would hold the status read back.
    if (read_waiting()) return;
    // Someone else (the metering page) is polling: its answers are our samples. A
    // quarter of an interval of grace keeps a late answer of theirs from doubling
    // the reads.
    if (other_answer_ms_ && clock_.monotonic_ms() - *other_answer_ms_ < interval_ms_ + interval_ms_ / 4) return;
    link_.Encolar_Proceso(kPollChannel, kMeteringAction);
    own_read_waiting_ = true;
}

void MeteringRecorder::answered(int accion, bool ok) {
    if (accion != kMeteringAction || !ok) return;
    if (own_read_waiting_) own_read_waiting_ = false;
    else other_answer_ms_ = clock_.monotonic_ms();
    if (running_) take_sample();
}

std::array<Fixed4, kCurrentChannels> MeteringRecorder::decode_currents(NEVA200& neva) {
    std::int32_t bloque = 1;
    neva.Devuelve_Datos(bloque);
    std::array<Fixed4, kCurrentChannels> a{};
    // Values 12..15: phase A, B, C and ground, in amperes.
    for (int k = 0; k < kCurrentChannels; ++k) a[k] = to_fixed(neva.DatosDeVariables(12 + k).number());
    return a;
}

void MeteringRecorder::take_sample() {
    CurrentSample s;
    s.time_ms = stamps_.now_ms();
    s.amperes = decode_currents(link_.NEVA());
    buffer_.push(s);
    if (on_sample) on_sample(s);
}

}  // namespace neva
