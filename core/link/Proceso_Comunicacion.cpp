#include "link/Proceso_Comunicacion.h"

#include <algorithm>

#include "link/NEVA200.h"

namespace neva {

Proceso_Comunicacion::Proceso_Comunicacion(SharedState& state) : state_(state) { Iniciar_Colas(); }

int Proceso_Comunicacion::last_slot(int canal) const {
    // Ciclicos comes from outside; keep every index inside the table.
    return std::clamp<int>(Canal_Ultimo[canal], 0, kSlots - 1);
}

void Proceso_Comunicacion::advance(int canal) {
    int i = Canal_Indice[canal] + 1;
    if (i > last_slot(canal)) i = 0;
    Canal_Indice[canal] = static_cast<std::int16_t>(i);
}

int Proceso_Comunicacion::Encolar_Proceso(int canal, NEVA200* enlace, int accion) {
    if (canal < 0 || canal >= kChannels || enlace == nullptr) return -1;
    int i = std::clamp<int>(Canal_Indice[canal], 0, last_slot(canal));
    for (int n = 0; n < kSlots + 1; ++n) {
        std::int32_t& estado = Cola_Estado[canal][i];
        if (estado == kFree || estado == kDone) {
            Cola_Enlace[canal][i] = enlace;
            Cola_Accion[canal][i] = static_cast<std::int16_t>(accion);
            estado = kPending;
            return i;
        }
        i = i + 1 > last_slot(canal) ? 0 : i + 1;
    }
    return -1;  // queue full: the request is dropped
}

void Proceso_Comunicacion::Despachar_Proceso() {
    if (Estado_Actual() == kExecuting) return;
    // A second pass is needed only when the first passed over channels whose quota was
    // used up; if that one takes nothing either, there is no work (no cyclic request).
    for (int pass = 0; pass < 2; ++pass) {
        for (int c = 0; c < kChannels; ++c) {
            if (Canal_Turnos[c] >= Canal_Cuota[c]) {
                Canal_Turnos[c] = 0;
                continue;
            }
            int slot = -1;
            if (c == 3) {
                // The cyclic channel runs the slot its index names, whatever its state;
                // a slot that never received a request has nothing to run.
                const int i = std::clamp<int>(Canal_Indice[3], 0, last_slot(3));
                if (Cola_Enlace[3][i] != nullptr) slot = i;
            } else {
                for (int n = 0; n < last_slot(c) - 1; ++n) {
                    std::int32_t& estado = Cola_Estado[c][Canal_Indice[c]];
                    if (estado == kPending && Cola_Enlace[c][Canal_Indice[c]] == nullptr) {
                        // A failed answer that came while nothing was in flight (after a
                        // file send, which runs outside the queues) marks the emptied
                        // current slot pending again. It holds no request: free it.
                        estado = kFree;
                    } else if (estado == kPending) {
                        slot = Canal_Indice[c];
                        break;
                    }
                    advance(c);
                }
            }
            if (slot < 0) continue;

            Canal_Actual = static_cast<std::int16_t>(c);
            Ranura_Actual = static_cast<std::int16_t>(slot);
            ++Canal_Turnos[c];
            Enlace_Actual = Cola_Enlace[c][slot];
            Enlace_Actual->Accion = Cola_Accion[c][slot];
            Cola_Estado[c][slot] = kExecuting;
            // The index moves before the request runs, so that whatever the run sets off
            // finds the queue already in its next state.
            Canal_Indice[c] = static_cast<std::int16_t>(slot);
            advance(c);
            Enlace_Actual->Ejecuta();
            return;
        }
    }
}

void Proceso_Comunicacion::Iniciar_Colas() {
    for (int c = 0; c < kChannels; ++c) {
        Cola_Estado[c].fill(kFree);
        Cola_Enlace[c].fill(nullptr);
        Cola_Accion[c].fill(0);
        Canal_Turnos[c] = 0;
        Canal_Indice[c] = 0;
        Canal_Ultimo[c] = kSlots - 1;
        Canal_Cuota[c] = kSlots - 1;
    }
    Canal_Ultimo[3] = static_cast<std::int16_t>(std::clamp<int>(state_.Ciclicos - 1, 0, kSlots - 1));
    if (Canal_Actual < 0 || Canal_Actual >= kChannels) Canal_Actual = 0;
    if (Ranura_Actual < 0 || Ranura_Actual >= kSlots) Ranura_Actual = 0;
}

}  // namespace neva
