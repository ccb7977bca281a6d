#pragma once
// The program-wide settings and flags. One instance lives in the application
// object and is passed by reference; nothing here is a hidden global, so a test
// builds a fresh program state in one line.

#include <array>
#include <cstdint>
#include <string>

#include "startup/FixedText.h"

namespace neva {

// Values the numeric entry dialog and the editors hand to each other.
struct CalcHandover {
    std::uint8_t Calc_Tipo = 1;
    std::string Calc_Titulo;
    std::int32_t Calc_Min = 0, Calc_Max = 0, Calc_Valor = 0;
    std::string Calc_Medida;
    std::int16_t Calc_Inc_A = 0, Calc_Inc_B = 0, Calc_Inc_C = 0;
    std::int32_t Calc_Cambio_A = 0, Calc_Cambio_B = 0;
    float Calc_Escala_A = 0, Calc_Escala_B = 0, Calc_Escala_C = 0;
    std::string Calc_FormatoA, Calc_FormatoB, Calc_FormatoC;
    std::int32_t Calc_Resultado = 0;
    std::string Calc_Hex;
    // What the edited field can hold (0..255 for a byte, 0..65535 for a word): the
    // dialog refuses a value outside it as "Out of Range", whatever Calc_Min and
    // Calc_Max say, so no entry is ever cut when it is written into the image.
    std::int32_t capacity_min = 0;
    std::int32_t capacity_max = 0x7FFFFFFF;
};

struct SharedState {
    std::string Ruta_Programa;          // program directory, no trailing separator
    bool Modo_Externo = false;          // started with a command line
    bool En_Linea = false;              // communicating with a relay
    bool Modo_Modem = false;            // connection type "Modem" chosen
    bool Reset_Permitido = false;       // Reset asks its question only while true
    std::uint8_t Direccion_Rele = 0;    // relay slave address 1..247
    std::int16_t Puerto_Com = 0;        // serial port number, 1 = COM1
    std::int32_t Velocidad_Com = 0;     // baud
    FixedText<20> Nombre_Rele;
    FixedText<20> Programador;
    FixedText<100> Observaciones;
    std::string Version_Rele;           // firmware version text; 8 characters in files
    FixedText<20> Telefono;
    std::string Cadena_Modem;           // personal modem initialisation string
    bool Modem_Programado = false;
    bool Esperando_Respuesta = false;   // connect started, no valid answer yet
    bool Archivo_Cargado = false;       // the last setpoint file load succeeded
    bool Enviando_Archivo = false;      // a setpoint file is being sent
    bool Imprimiendo = false;           // a print run is loading pages
    // The working setpoints (or the texts saved with them) hold something no file
    // holds: set by a store into the scratch memory, by a read of the relay's
    // setpoints and by an edit of the relay's texts; cleared by a save and a load.
    // New, Load, ON, OFF and the reload after a communication error offer a save first.
    bool unsaved_changes = false;
    // The images and the link's event record came from the relay since the last file
    // load (set by the first good answer of a connection, cleared by a load): a save
    // then writes the relay's events, otherwise it keeps those of the loaded file.
    bool images_from_relay = false;

    // Flags of the link engine.
    bool Error_Comunicacion = false;    // communication stopped after an error
    bool Puerto_Abierto = false;        // outcome of the last port opening
    std::uint8_t Ticks_Sin_Respuesta = 0;
    std::int16_t Reintentos_Envio = 0;  // retries of a file send
    std::int16_t Ciclicos = 0;          // cyclic requests on channel 3

    // Event texts of the last loaded setpoint file, index 1..20 (0 unused).
    std::array<std::string, 21> Eventos_Guardados{};

    CalcHandover Calc;
};

}  // namespace neva
