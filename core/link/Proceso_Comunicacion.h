#pragma once
// The request queues: four channels of 500 slots through which pages, menus and
// dialogs ask the link for work, and the dispatcher that starts the next request.
// Exactly one request is in flight; the executing slot's state keeps a second one
// from starting.
//
// Channel 0: one-off requests of the user and the pages (highest priority).
// Channel 1: the periodic reads of the actual value pages.
// Channel 2: unused.
// Channel 3: the cyclic requests (the breaker status read), run whenever nothing
//            else is pending; its slots 0..Ciclicos-1 run in turn for ever.

#include <array>
#include <cstdint>

#include "startup/SharedState.h"

namespace neva {

class NEVA200;

class Proceso_Comunicacion {
public:
    static constexpr int kChannels = 4;
    static constexpr int kSlots = 500;
    // Slot states.
    static constexpr std::int32_t kExecuting = 0;
    static constexpr std::int32_t kDone = 1;  // free for reuse
    static constexpr std::int32_t kPending = 2;
    static constexpr std::int32_t kFree = 3;

    explicit Proceso_Comunicacion(SharedState& state);

    // Puts `accion` for `enlace` into the first free or done slot of the channel, searching
    // from the channel's Canal_Indice. Returns the slot, or -1 when the request was dropped
    // (queue full, bad channel, no link).
    int Encolar_Proceso(int canal, NEVA200* enlace, int accion);
    // Starts the next request unless one is executing.
    void Despachar_Proceso();
    // Empties every queue; channel 3 keeps Ciclicos slots. The current request is kept.
    void Iniciar_Colas();

    // State of the current request (Canal_Actual, Ranura_Actual).
    std::int32_t& Estado_Actual() { return Cola_Estado[Canal_Actual][Ranura_Actual]; }

    std::array<std::array<std::int32_t, kSlots>, kChannels> Cola_Estado{};
    std::array<std::array<NEVA200*, kSlots>, kChannels> Cola_Enlace{};
    std::array<std::array<std::int16_t, kSlots>, kChannels> Cola_Accion{};
    std::array<std::int16_t, kChannels> Canal_Cuota{};
    std::array<std::int16_t, kChannels> Canal_Turnos{};
    std::array<std::int16_t, kChannels> Canal_Ultimo{};
    std::array<std::int16_t, kChannels> Canal_Indice{};

    std::int16_t Canal_Actual = 0;
    std::int16_t Ranura_Actual = 0;
    NEVA200* Enlace_Actual = nullptr;

private:
    int last_slot(int canal) const;
    void advance(int canal);

    SharedState& state_;
};

}  // namespace neva
