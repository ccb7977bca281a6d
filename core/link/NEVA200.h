#pragma once
// The relay link: owns the serial port through `Comunicacion`, builds and sends the
// frame of the current action (`Ejecuta`), checks and stores the answer (`Refrescar`),
// counts exchanges without an answer (`AumentarErrorComm`) and decodes the stored
// register bytes into the value table the pages read (`Devuelve_Datos`, `Valores`).
// It reports through events carrying a Boolean, never through return values.

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "image/RegisterImages.h"
#include "link/Frames.h"
#include "link/LinkFault.h"
#include "link/SetpointWrites.h"
#include "link/Valor.h"
#include "platform/Clock.h"
#include "platform/MessageService.h"
#include "platform/SerialPort.h"
#include "startup/FixedText.h"
#include "startup/SharedState.h"

namespace neva {

class Proceso_Comunicacion;

class NEVA200 {
public:
    static constexpr int kValores = 501;      // Valores 0..500
    static constexpr int kTextosEvento = 201; // event codes 0..200
    static constexpr int kFallosLimite = 5;   // exchanges without answer before the error

    NEVA200(SharedState& state, RegisterImages& images, MessageService& messages, const Clock& clock);
    NEVA200(const NEVA200&) = delete;
    NEVA200& operator=(const NEVA200&) = delete;

    // The queues follow-up requests go to (the event record reads queue their next steps).
    void set_colas(Proceso_Comunicacion* colas) { colas_ = colas; }

    // ---- Properties ----
    FixedText<8> Version{"1.01"};  // firmware text, replaced by an identification read
    std::int16_t Direccion = 0;    // slave address written into every frame
    std::string Cadena_Com = "9600";  // speed; the port settings are this + ",N,8,1"
    std::int16_t Puerto_PC = 0;    // serial port number
    SerialPort* Comunicacion = nullptr;
    bool Ejecutando_Proceso = false;  // true while Ejecuta runs
    Valor Datos{0};                // free holders, not used by the engine
    std::string Zona = "0";
    std::string Relay_Name = "0";
    std::int16_t ID = 4;
    std::int32_t IDRele = 0;
    bool ErrorComm = false;        // failure limit reached; cleared by every answer
    std::int16_t Accion = 0;       // action code of the transaction to run
    bool Firmware = false;         // identified as a supported model

    // ---- Events (set by the owner) ----
    std::function<void()> ErrorCommActivado;
    std::function<void()> FallasRestablecidas;  // declared, never raised
    std::function<void(bool)> ComunicacionFinalizada;
    std::function<void()> EventoActivado;       // declared, never raised
    std::function<void(bool&)> Finalizado;
    // Raised by the owner when the event reads queued for a print have completed.
    std::function<void()> ReadyEvents;

    // ---- Engine ----
    // Runs the current Accion unless a run is under way; raises Finalizado(Resultado).
    // Always returns false.
    bool Ejecuta();
    // Takes the waiting bytes as the answer to the current Accion, checks and stores it,
    // raises ComunicacionFinalizada(Resultado). Bytes that arrive while no request
    // awaits its answer (after its time-out) are thrown away and raise nothing.
    void Refrescar();
    // One exchange ended without an answer; the fifth in a row raises ErrorCommActivado.
    void AumentarErrorComm();
    // Binds the link to the serial port; a null port leaves Comunicacion unchanged.
    void Reconocer_Controles_De_Comunicacion(SerialPort* port);

    // ---- Verified setpoint writes ----
    // Every write of a setpoint block (27, 28) sends the block as it stood when its
    // first attempt went out, is given up after SetpointWrites::kAttempts failed
    // exchanges, and once confirmed is read back (61, 62): "Setpoints were Saved to
    // the Relay memory" only when the relay holds exactly the bytes sent.
    SetpointWrites& writes() { return writes_; }
    const SetpointWrites& writes() const { return writes_; }
    // Sends setpoint blocks as one group (a setpoint file): the edit image's blocks as
    // they stand now, one after the other, each read back before the next. Queues the
    // first write on channel 0.
    void send_setpoint_group(const std::vector<int>& blocks);
    // Raised when a group has ended, with true when the relay holds every block sent.
    std::function<void(bool)> on_group_end;
    // For the settings history: a valid read of a block that was a write's read-back,
    // and the blocks of a write (one block, or a whole group) that ended read back
    // identical, raised before the user is told.
    std::function<void(int block)> on_read_back;
    std::function<void(const std::vector<int>& blocks)> on_writes_verified;
    // The link has failed: every write in progress ends where it stands and is reported.
    void interrupt_writes();
    // The request in flight was given up after its time-out. Whatever waits on the
    // line belongs to it and is thrown away; what it was tells why the exchange failed.
    LinkFault abandon_exchange();
    // Whether the request last handled must not be repeated although it failed: a
    // write or read-back that used up its attempts.
    bool request_abandoned() const { return abandoned_; }
    // Why the last exchange failed; None after a valid answer.
    const LinkFault& last_fault() const { return last_fault_; }
    // Whether the current action is a write of a setpoint block, or its read-back, that
    // is still in progress.
    bool verified_write_in_progress() const;
    // Whether bytes came with no request waiting for them (a slow relay's late answers)
    // since the last valid answer.
    bool late_answer_seen() const { return late_answer_; }
    // Whether a request went out and its answer has not been handled yet.
    bool answer_awaited() const { return answer_awaited_; }
    // The three words of the last identification answer.
    const std::array<unsigned, 3>& identification() const { return identification_; }

    // ---- Relay operations ----
    void Ejecuta_Comando(int codigo);  // function 05 with the code as coil number
    void Leer_Last_Event_Number();     // action 30
    void Leer_Evento(int evento);      // actions 31..50: select event n (1 = newest)
    void Write_EventToRead(int valor);
    void Write_NotEvent(int start_event);
    void Read_Event_Actualizado();     // action 90
    void Leer_Firmware();              // action 60
    void Leer_Actual_Date_Time();      // action 91
    void Date_Time_Comand();           // action 92
    // Fills Reloj for action 93 from a calendar date and time of day.
    void Date_Time(int dia, int mes, int ano, int hora, int minuto, int segundo);

    // Decodes one block of Imagen_AV into Valores: 0 status, 1 measurements,
    // 2 maintenance, 3 last trip, 4 clock, 5 event record. Always returns false.
    bool Devuelve_Datos(std::int32_t& bloque);
    // Element `posicion` of Valores (an empty value outside 0..500).
    Valor DatosDeVariables(int posicion) const;
    // Position of an actual-value register in Imagen_AV; nullopt for an address no block holds.
    static std::optional<int> Calcula_Posicion_AV(std::string_view direccion);
    // Copies the stored setpoint image into Imagen_Respaldo.
    void TransfiereSetpoints();

    // ---- Decoded values and tables ----
    std::array<Valor, kValores> Valores{};
    std::array<std::string, kTextosEvento> Textos_Evento{};
    std::array<std::int16_t, 6> Reloj{};   // the clock buffer action 93 sends
    std::int16_t Ultimo_Numero = 0;        // newest event number as last read from 0600
    std::uint8_t Evento_Pedido = 0;        // event asked for by the last Leer_Evento
    bool Ampliar_Eventos = false;          // set by action 30, cleared by the next event window

    // Time stamp text of the three registers starting at an actual-value address: with
    // the event text "event,date time", without it "date time"; "0" for a date or a time
    // that is all zero. The date uses the clock's short date format.
    std::string Formato_8(std::string_view direccion, bool con_evento);
    // The date part of the last time stamp decoded.
    const std::string& last_date_text() const { return fecha_texto_; }

    // ---- Internal state, readable for the window and the tests ----
    const std::vector<std::uint8_t>& Trama() const { return trama_; }
    const std::vector<std::uint8_t>& Respuesta() const { return respuesta_; }
    bool Respuesta_Valida() const { return respuesta_valida_; }
    std::int32_t CRC_Actual() const { return crc_actual_; }
    const std::string& Registro_Actual() const { return registro_actual_; }
    std::uint8_t Bytes_Esperados() const { return bytes_esperados_; }
    const std::string& Registro_Setpoint() const { return registro_setpoint_; }
    std::uint8_t Bytes_Esperados_Setpoint() const { return bytes_esperados_setpoint_; }
    bool Resultado() const { return resultado_; }
    std::int16_t Fallos_Consecutivos() const { return fallos_consecutivos_; }
    // A new connection starts with a clean failure count.
    void reset_failures() { fallos_consecutivos_ = 0; }

private:
    void Abrir_Puerto();
    void Enviar_Lectura_Entradas(std::uint8_t reg_hi, std::uint8_t reg_lo, std::uint8_t count_hi,
                                 std::uint8_t count_lo, std::uint8_t esperados);
    void Enviar_Lectura_Setpoints(std::uint8_t reg_hi, std::uint8_t reg_lo, std::uint8_t count_hi,
                                  std::uint8_t count_lo, std::uint8_t esperados);
    void Escribir_Bloque_1();
    void Escribir_Bloque_2();
    void Escribir_Fecha_Hora();
    void send(int receive_threshold, int send_threshold);
    std::uint8_t address() const { return static_cast<std::uint8_t>(Direccion & 0xFF); }
    void track_setpoint_exchange(int accion, const LinkFault& fault);
    void block_closed(int block);
    void end_group();

    void procesar_evento_actualizado();
    void decode_status();
    void decode_measurements();
    void Maintenance_Data();
    void decode_last_trip();
    void Date_Time_System();
    void decode_event();
    void encolar(int accion);

    std::uint32_t word_at(int pos) const;
    std::uint32_t dword_at(int pos) const;
    std::uint8_t av_byte(int pos) const;

    SharedState& state_;
    RegisterImages& images_;
    MessageService& messages_;
    const Clock& clock_;
    Proceso_Comunicacion* colas_ = nullptr;

    std::vector<std::uint8_t> trama_;
    std::vector<std::uint8_t> respuesta_;
    bool respuesta_valida_ = false;
    std::int32_t crc_actual_ = 0;
    std::string registro_actual_;
    std::uint8_t bytes_esperados_ = 0;
    std::string registro_setpoint_;
    std::uint8_t bytes_esperados_setpoint_ = 0;
    bool resultado_ = false;
    std::int16_t fallos_consecutivos_ = 0;
    std::string fecha_texto_;

    // The answer the request in flight asks for; answer_awaited_ from its send until
    // its answer is handled or it is given up. Bytes arriving at any other time
    // answer nothing.
    ExpectedAnswer expected_;
    bool answer_awaited_ = false;
    bool abandoned_ = false;
    bool late_answer_ = false;
    LinkFault last_fault_;
    std::array<unsigned, 3> identification_{};
    SetpointWrites writes_;
};

}  // namespace neva
