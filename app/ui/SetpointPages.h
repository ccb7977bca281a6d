#pragma once
// Makes the five setpoint pages known to the main window: the menu entries "System
// Setup", "Phase and Ground Protections ", "Output Relays", "Digital Inputs" and
// "Event Recorder" then open SETPAGE2, SETPAGE6, SETPAGE3, SETPAGE4 and SETPAGE9.

namespace neva {

class Principal;

void register_setpoint_pages(Principal& principal);

}  // namespace neva
