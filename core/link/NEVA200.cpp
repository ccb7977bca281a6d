#include "link/NEVA200.h"

#include <algorithm>
#include <cstdio>

#include "image/Manejo_de_Datos.h"
#include "image/ValueFormat.h"
#include "link/LinkMessages.h"
#include "link/Proceso_Comunicacion.h"
#include "regmap/RegisterMap.h"

namespace neva {

namespace {

// Positions in Imagen_AV of the registers the decoders read.
constexpr int kPosStatus = 6;         // 0203
constexpr int kPosRelays = 10;        // 0205
constexpr int kPosContacts = 12;      // 0206
constexpr int kPosMeasures = 18;      // 0209
constexpr int kPosTripValues = 40;    // 0214
constexpr int kPosMaintenance = 56;   // 0280
constexpr int kPosEventHead = 70;     // 0600
constexpr int kPosEventWindow = 102;  // 0610

std::string upper_hex(unsigned v) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%X", v);
    return buf;
}

// "hh:mm:ss AM" on a 12-hour clock. The relay's fields can hold more than a day's
// worth (5-bit hours, 6-bit minutes); the excess carries over as a clock would.
std::string time_text(int hour, int minute, int second) {
    const long total = (static_cast<long>(hour) * 3600 + minute * 60L + second) % 86400L;
    const int h = static_cast<int>(total / 3600);
    const int m = static_cast<int>(total / 60 % 60);
    const int s = static_cast<int>(total % 60);
    const int h12 = h % 12 == 0 ? 12 : h % 12;
    char buf[32];
    std::snprintf(buf, sizeof buf, "%02d:%02d:%02d %s", h12, m, s, h < 12 ? "AM" : "PM");
    return buf;
}

bool has_comma(const Valor& v) { return v.is_text() && v.text().find(',') != std::string::npos; }

// The event number at the front of an event text (" 5, Phase ..."); 0 without a comma.
double leading_event_number(const Valor& v) {
    if (!has_comma(v)) return 0;
    std::string head = v.text().substr(0, v.text().find(','));
    while (!head.empty() && head.back() == ' ') head.pop_back();
    return Valor(head).number();
}

bool is_empty(const Valor& v) { return v.empty() || (v.is_text() && v.text().empty()); }

}  // namespace

NEVA200::NEVA200(SharedState& state, RegisterImages& images, MessageService& messages, const Clock& clock)
    : state_(state), images_(images), messages_(messages), clock_(clock) {
    const std::pair<int, const char*> textos[] = {
        {0, " No Trip "},
        {1, " Events Clear "},
        {4, " Trip Relay OFF "},
        {5, " Trip Relay ON "},
        {6, " Aux. 1 Relay OFF "},
        {7, " Aux. 1 Relay ON "},
        {8, " Aux. 2 Relay OFF "},
        {9, " Aux. 2 Relay ON "},
        {10, " Aux. 3 Relay OFF "},
        {11, " Aux. 3 Relay ON "},
        {20, " Digital Input 1 Deactive "},
        {21, " Digital Input 1 Active "},
        {22, " Digital Input 2 Deactive "},
        {23, " Digital Input 2 Active "},
        {24, " Digital Input 3 Deactive "},
        {25, " Digital Input 3 Active "},
        {26, " Breaker Status: OPENED "},
        {27, " Breaker Status: CLOSED "},
        {32, " Earth Released "},
        {33, " Breaker Earthed "},
        {34, " Remote Trip "},
        {35, " Serial Comunication Trip "},
        {36, " Block Trip Reset "},
        {37, " Block Trip Set "},
        {40, " Phase Timed OverCurrent "},
        {41, " Phase Inst OverCurrent "},
        {42, " Phase OverCurrent Alarm "},
        {43, " Ground Timed OverCurrent "},
        {44, " Ground Inst OverCurrent "},
        {45, " Ground OverCurrent Alarm "},
        {50, " Disconnector Block "},
        {51, " Breaker Discrepancy Alarm "},
        {52, " Mechanical Operation Alarm "},
        {53, " Accumulated Amp Alarm "},
        {54, " Maintenance Data Clear "},
    };
    for (const auto& [code, text] : textos) Textos_Evento[code] = text;
}

void NEVA200::Reconocer_Controles_De_Comunicacion(SerialPort* port) {
    if (port) Comunicacion = port;
}

// ---------------------------------------------------------------- engine

bool NEVA200::Ejecuta() {
    if (Ejecutando_Proceso) return false;
    Ejecutando_Proceso = true;
    // A new exchange: nothing of an earlier one is awaited any more.
    answer_awaited_ = false;
    abandoned_ = false;
    const int a = Accion;
    switch (a) {
        case 1: Abrir_Puerto(); break;
        case 2: Enviar_Lectura_Entradas(0x02, 0x03, 0x00, 0x06, 12); break;
        case 4: Enviar_Lectura_Entradas(0x02, 0x09, 0x00, 0x08, 16); break;
        case 5: Enviar_Lectura_Entradas(0x02, 0x80, 0x00, 0x07, 14); break;
        case 6: Enviar_Lectura_Entradas(0x02, 0x11, 0x00, 0x0B, 22); break;
        case 11: Ejecuta_Comando(1); break;
        case 12: Ejecuta_Comando(8); break;
        case 13: Ejecuta_Comando(9); break;
        case 14: Ejecuta_Comando(2); break;
        case 15: Ejecuta_Comando(20); break;
        case 16: Ejecuta_Comando(21); break;
        case 17: Ejecuta_Comando(22); break;
        case 27: Escribir_Bloque_1(); break;
        case 28: Escribir_Bloque_2(); break;
        case 30: Leer_Last_Event_Number(); break;
        case 60: Leer_Firmware(); break;
        case 61: Enviar_Lectura_Setpoints(0x01, 0x00, 0x00, 0x1B, 54); break;
        case 62: Enviar_Lectura_Setpoints(0x01, 0x80, 0x00, 0x16, 44); break;
        case 90: Read_Event_Actualizado(); break;
        case 91: Leer_Actual_Date_Time(); break;
        case 92: Date_Time_Comand(); break;
        case 93: Escribir_Fecha_Hora(); break;
        default:
            if (a >= 31 && a <= 50) Leer_Evento(a - 30);
            // Any other code (3 among them) sends nothing; the engine's time-out ends it.
            break;
    }
    Ejecutando_Proceso = false;
    bool ok = resultado_;
    if (Finalizado) Finalizado(ok);
    return false;
}

void NEVA200::Abrir_Puerto() {
    late_answer_ = false;  // a new connection
    bool ok = false;
    if (Comunicacion) {
        if (Comunicacion->is_open()) Comunicacion->close();
        Comunicacion->set_port_number(Puerto_PC);
        Comunicacion->set_settings(Cadena_Com + ",N,8,1");
        ok = Comunicacion->open();
    }
    resultado_ = ok;
    if (ok) return;
    std::string text = "Invalid Number Port: COM " + std::to_string(Puerto_PC);
    // Under the message: which device was tried and why the system refused it.
    const std::string device = Comunicacion ? Comunicacion->device_text() : std::string();
    if (!device.empty()) {
        text += "\nDevice " + device;
        const std::string why = Comunicacion->open_failure();
        text += why.empty() ? " could not be opened" : ": " + why;
    } else if (Comunicacion && !Comunicacion->diagnosis().empty()) {
        // A network port: the address and why the connection was not made.
        text += "\n" + Comunicacion->diagnosis();
    }
    messages_.message_box(text, MsgButtons::Ok, MsgIcon::Critical, "Communication error");
}

void NEVA200::send(int receive_threshold, int send_threshold) {
    if (!Comunicacion) return;
    // Whatever is still waiting belongs to an earlier exchange.
    Comunicacion->read_all();
    Comunicacion->set_receive_threshold(receive_threshold);
    Comunicacion->set_send_threshold(send_threshold);
    // A failed write is not reported: the request ends by time-out.
    expected_ = expected_answer_for(trama_);
    answer_awaited_ = true;
    Comunicacion->write(trama_);
}

void NEVA200::Enviar_Lectura_Entradas(std::uint8_t reg_hi, std::uint8_t reg_lo, std::uint8_t count_hi,
                                      std::uint8_t count_lo, std::uint8_t esperados) {
    registro_actual_ = upper_hex(reg_hi * 256u + reg_lo);
    bytes_esperados_ = esperados;
    trama_ = frame_read_input(address(), reg_hi, reg_lo, count_hi, count_lo);
    send(esperados + 5, 8);
}

void NEVA200::Enviar_Lectura_Setpoints(std::uint8_t reg_hi, std::uint8_t reg_lo, std::uint8_t count_hi,
                                       std::uint8_t count_lo, std::uint8_t esperados) {
    registro_setpoint_ = upper_hex(reg_hi * 256u + reg_lo);
    bytes_esperados_setpoint_ = esperados;
    trama_ = frame_read_holding(address(), reg_hi, reg_lo, count_hi, count_lo);
    send(esperados + 5, 8);
}

void NEVA200::Ejecuta_Comando(int codigo) {
    trama_ = frame_command(address(), static_cast<std::uint16_t>(codigo));
    send(8, 8);
}

// A repeated write sends the bytes of its first attempt, never what the edit image
// holds by then.
void NEVA200::Escribir_Bloque_1() {
    trama_ = frame_write_block(address(), writes_.bytes_to_send(1, images_.Imagen_Edicion), 1);
    send(8, static_cast<int>(trama_.size()));
}

void NEVA200::Escribir_Bloque_2() {
    trama_ = frame_write_block(address(), writes_.bytes_to_send(2, images_.Imagen_Edicion), 2);
    send(8, static_cast<int>(trama_.size()));
}

void NEVA200::Escribir_Fecha_Hora() {
    trama_ = frame_write_clock(address(), Reloj);
    send(8, static_cast<int>(trama_.size()));
}

void NEVA200::Leer_Last_Event_Number() { Enviar_Lectura_Entradas(0x06, 0x00, 0x00, 0x04, 8); }
void NEVA200::Read_Event_Actualizado() { Enviar_Lectura_Entradas(0x06, 0x10, 0x00, 0x04, 8); }
void NEVA200::Leer_Firmware() { Enviar_Lectura_Entradas(0x00, 0x00, 0x00, 0x03, 6); }
void NEVA200::Leer_Actual_Date_Time() { Enviar_Lectura_Entradas(0x02, 0x00, 0x00, 0x03, 6); }
void NEVA200::Date_Time_Comand() { Ejecuta_Comando(5); }

void NEVA200::Leer_Evento(int evento) {
    Evento_Pedido = static_cast<std::uint8_t>(evento);
    const int newest = static_cast<int>(word_at(kPosEventHead));
    if (evento > newest) {
        // Beyond the newest event: show the newest and mark this slot and the later
        // ones as holding no trip.
        Write_EventToRead(1);
        Write_NotEvent(evento);
    } else {
        Write_EventToRead(newest - evento + 1);
    }
}

void NEVA200::Write_EventToRead(int valor) {
    trama_ = frame_select_event(address(), static_cast<std::uint16_t>(valor));
    send(8, static_cast<int>(trama_.size()));
}

void NEVA200::Write_NotEvent(int start_event) {
    for (int k = std::max(start_event, 1); k <= 20; ++k) Valores[63 + k] = Textos_Evento[0];
}

void NEVA200::Date_Time(int dia, int mes, int ano, int hora, int minuto, int segundo) {
    const int fecha = (mes * 1024 + dia * 32 + hora) & 0xFFFF;
    const int tiempo = (minuto * 1024 + segundo * 10) & 0xFFFF;
    Reloj = {0,
             static_cast<std::int16_t>(ano - 2000),
             static_cast<std::int16_t>((fecha & 0xFF00) / 256),
             static_cast<std::int16_t>(fecha & 0xFF),
             static_cast<std::int16_t>((tiempo & 0xFF00) / 256),
             static_cast<std::int16_t>(tiempo & 0xFF)};
}

void NEVA200::Refrescar() {
    std::vector<std::uint8_t> bytes;
    if (Comunicacion) bytes = Comunicacion->read_all();
    // Bytes that no request waits for (the late answer of a request already given
    // up, noise on a quiet line) answer nothing and are thrown away.
    if (!answer_awaited_) {
        late_answer_ = late_answer_ || !bytes.empty();
        return;
    }
    answer_awaited_ = false;
    abandoned_ = false;
    respuesta_ = std::move(bytes);
    fallos_consecutivos_ = 0;
    ErrorComm = false;

    last_fault_ = check_answer(respuesta_, address(), expected_, &crc_actual_);
    respuesta_valida_ = last_fault_.kind == LinkFaultKind::None;
    // Every answer decides its own outcome. A confirmation that carries no data (event
    // selections, the clock write and its command) must not inherit the failure of an
    // earlier bad answer: it would be repeated for ever although the relay took it.
    if (!respuesta_valida_) {
        resultado_ = false;
    } else {
        resultado_ = true;
        late_answer_ = false;
        state_.Esperando_Respuesta = false;
    }

    const int a = Accion;
    const bool valid = respuesta_valida_;
    // From here on a valid answer is known to hold exactly the data bytes its request asked for.

    if ((a < 11 || a == 30 || a == 90 || a == 91) && valid) {
        if (auto pos = Calcula_Posicion_AV(registro_actual_)) {
            const std::size_t n = std::min<std::size_t>(bytes_esperados_, kAvImageSize - *pos);
            std::copy_n(respuesta_.begin() + 3, n, images_.Imagen_AV.begin() + *pos);
        }
        resultado_ = true;
    }

    if (a == 30) {
        // Slots past the relay's newest number hold nothing the relay still has (its
        // events were cleared, or the count shrank): never let them show old events.
        if (valid) Write_NotEvent(static_cast<int>(word_at(kPosEventHead)) + 1);
        // The head tells how many events there are; start reading them, newest first.
        Ampliar_Eventos = true;
        encolar(31);
        encolar(90);
    }

    if (a == 90) procesar_evento_actualizado();

    if (a == 61 || a == 62) {
        const int block = a - 60;
        if (valid) {
            const int pos = Posicion_Setpoint(registro_setpoint_);
            const std::size_t n = std::min<std::size_t>(bytes_esperados_setpoint_, kSetpointImageSize - pos);
            std::copy_n(respuesta_.begin() + 3, n, images_.Imagen_Setpoints.begin() + pos);
            copy_block_to_edit(images_, block);
            // The relay's setpoints are now the working ones, and no file holds them.
            state_.unsaved_changes = true;
            resultado_ = true;
        } else {
            // Nothing of a bad answer is stored: the stored block keeps the relay's
            // previous values.
            resultado_ = false;
        }
        track_setpoint_exchange(a, last_fault_);
    }

    if (a == 60 && valid) {
        const unsigned w0 = respuesta_[3] * 256u + respuesta_[4];
        const unsigned w1 = respuesta_[5] * 256u + respuesta_[6];
        const unsigned w2 = respuesta_[7] * 256u + respuesta_[8];
        identification_ = {w0, w1, w2};
        Firmware = supported_relay(w0, w1, w2);
        if (Firmware) {
            std::string v = " " + std::to_string(w2 / 100);
            if (w2 % 100 != 0) {
                char frac[4];
                std::snprintf(frac, sizeof frac, "%02u", w2 % 100);
                std::string f = frac;
                if (f.back() == '0') f.pop_back();
                v += "." + f;
            }
            Version = v;
        }
        resultado_ = Firmware;
        if (!Firmware) {
            // Another model or a firmware this program does not know: say so, and stop
            // talking to it at the next completion.
            state_.Error_Comunicacion = true;
            messages_.message_box(unsupported_relay_text(w0, w1, w2), MsgButtons::Ok, MsgIcon::Critical, "NEVA");
        }
    }

    if (a == 27 || a == 28) {
        resultado_ = valid;
        // A write without a valid confirmation keeps the user's edits: the repeat sends
        // them again, and when the write is given up the page still shows them.
        track_setpoint_exchange(a, last_fault_);
    } else if (a >= 11 && a <= 17) {
        resultado_ = valid;
        if (valid) messages_.message_box("Command executed", MsgButtons::Ok, MsgIcon::Information, "NEVA");
        // The relay erased its record: none of the events read so far exists any more.
        if (valid && a == 13) Write_NotEvent(1);
    }

    if (ComunicacionFinalizada) ComunicacionFinalizada(resultado_);
}

LinkFault NEVA200::abandon_exchange() {
    abandoned_ = false;
    std::vector<std::uint8_t> bytes;
    if (Comunicacion) bytes = Comunicacion->read_all();
    LinkFault fault{LinkFaultKind::NoAnswer};
    if (answer_awaited_) {
        // What came was too short to raise the receive event: an exception answer, a
        // damaged or cut answer, or nothing at all.
        fault = check_answer(bytes, address(), expected_);
        if (fault.kind == LinkFaultKind::None) fault = {LinkFaultKind::Unexpected};
    }
    answer_awaited_ = false;
    last_fault_ = fault;
    const int a = Accion;
    if (a == 27 || a == 28 || a == 61 || a == 62) track_setpoint_exchange(a, fault);
    return fault;
}

void NEVA200::track_setpoint_exchange(int accion, const LinkFault& fault) {
    const bool write = accion == 27 || accion == 28;
    const int block = accion == 27 || accion == 61 ? 1 : 2;
    const auto verdict = write ? writes_.write_answered(block, fault)
                               : writes_.block_read(block, fault, images_.Imagen_Setpoints);
    if (!write && verdict != SetpointWrites::Verdict::None && fault.kind == LinkFaultKind::None && on_read_back)
        on_read_back(block);
    switch (verdict) {
        case SetpointWrites::Verdict::None:
        case SetpointWrites::Verdict::Repeat:
            return;
        case SetpointWrites::Verdict::ReadBack: {
            // The relay says it took the block: until the read-back tells otherwise the
            // stored image holds what was sent (never edits made since).
            const SetpointImage& sent = writes_.block(block).sent;
            const auto [first, end] = sent_range(block);
            std::copy(sent.begin() + first, sent.begin() + end, images_.Imagen_Setpoints.begin() + first);
            encolar(block == 1 ? 61 : 62);
            return;
        }
        case SetpointWrites::Verdict::Closed:
            abandoned_ = fault.kind != LinkFaultKind::None;
            block_closed(block);
            return;
    }
}

void NEVA200::block_closed(int block) {
    if (writes_.in_group()) {
        if (const int next = writes_.next_in_group()) {
            encolar(next == 1 ? 27 : 28);
            return;
        }
        end_group();
        return;
    }
    const BlockWrite& w = writes_.block(block);
    if (w.outcome == BlockOutcome::Verified && on_writes_verified) on_writes_verified({block});
    if (w.outcome == BlockOutcome::Verified)
        messages_.message_box(kSavedToRelay, MsgButtons::Ok, MsgIcon::Information, "NEVA");
    else
        messages_.message_box(write_failure_text(shipped_register_map(), block, w), MsgButtons::Ok, MsgIcon::Critical,
                              "NEVA");
}

void NEVA200::end_group() {
    bool all = true;
    for (int b : writes_.group()) all = all && writes_.block(b).outcome == BlockOutcome::Verified;
    if (all && on_writes_verified) on_writes_verified(writes_.group());
    if (all)
        messages_.message_box(kSavedToRelay, MsgButtons::Ok, MsgIcon::Information, "NEVA");
    else
        messages_.message_box(group_failure_text(shipped_register_map(), writes_), MsgButtons::Ok, MsgIcon::Critical,
                              kAppTitle);
    writes_.end_group();
    if (on_group_end) on_group_end(all);
}

bool NEVA200::verified_write_in_progress() const {
    const int a = Accion;
    if (a != 27 && a != 28 && a != 61 && a != 62) return false;
    return writes_.open(a == 27 || a == 61 ? 1 : 2);
}

void NEVA200::send_setpoint_group(const std::vector<int>& blocks) {
    writes_.begin_group(blocks, images_.Imagen_Edicion);
    if (!blocks.empty()) encolar(blocks.front() == 2 ? 28 : 27);
}

void NEVA200::interrupt_writes() {
    const std::vector<int> open_blocks = writes_.interrupt();
    if (writes_.in_group()) {
        end_group();
        return;
    }
    for (int b : open_blocks) block_closed(b);
}

void NEVA200::AumentarErrorComm() {
    if (fallos_consecutivos_ < kFallosLimite) {
        ++fallos_consecutivos_;
        if (fallos_consecutivos_ == kFallosLimite) {
            fallos_consecutivos_ = 0;
            ErrorComm = true;
            if (ErrorCommActivado) ErrorCommActivado();
        }
    }
}

void NEVA200::encolar(int accion) {
    if (colas_) colas_->Encolar_Proceso(0, this, accion);
}

void NEVA200::procesar_evento_actualizado() {
    const Valor old_first = Valores[64];
    const double old_newest = leading_event_number(old_first);
    std::int32_t bloque = 5;
    Devuelve_Datos(bloque);
    if (!has_comma(Valores[64]) || !Ampliar_Eventos) return;
    Ampliar_Eventos = false;
    bool gap = false;
    const int shown = static_cast<int>(std::min(old_newest, 20.0));
    for (int k = 0; k < shown; ++k) gap = gap || is_empty(Valores[64 + k]);
    // The whole text, not only the number: after a clear the relay counts from 1
    // again, and its new newest event may carry the number the old one had.
    if (Valores[64] == old_first && !gap) return;
    // New events came in (or some are missing): read the others, one select and one
    // window read each.
    int m = Ultimo_Numero - 1;
    if (Ultimo_Numero > 20) m = 19;
    if (Ultimo_Numero == 0) m = 1;
    for (int i = 1; i <= m; ++i) {
        encolar(31 + i);
        encolar(90);
    }
}

// ---------------------------------------------------------------- decoding

std::optional<int> NEVA200::Calcula_Posicion_AV(std::string_view direccion) {
    const std::uint32_t a = hex_value(direccion);
    if (a >= 0x0200 && a <= 0x021B) return static_cast<int>(a - 0x0200) * 2;
    if (a >= 0x0280 && a <= 0x0286) return static_cast<int>(a - 0x0280) * 2 + 56;
    if (a >= 0x0600 && a <= 0x061B) return static_cast<int>(a - 0x0600) * 2 + 70;
    return std::nullopt;
}

std::uint8_t NEVA200::av_byte(int pos) const {
    return pos >= 0 && pos < static_cast<int>(kAvImageSize) ? images_.Imagen_AV[pos] : 0;
}

std::uint32_t NEVA200::word_at(int pos) const { return av_byte(pos) * 256u + av_byte(pos + 1); }

std::uint32_t NEVA200::dword_at(int pos) const { return word_at(pos) * 65536u + word_at(pos + 2); }

Valor NEVA200::DatosDeVariables(int posicion) const {
    if (posicion < 0 || posicion >= kValores) return {};
    return Valores[posicion];
}

void NEVA200::TransfiereSetpoints() { images_.Imagen_Respaldo = images_.Imagen_Setpoints; }

bool NEVA200::Devuelve_Datos(std::int32_t& bloque) {
    switch (bloque) {
        case 0: decode_status(); break;
        case 1: decode_measurements(); break;
        case 2: Maintenance_Data(); break;
        case 3: decode_last_trip(); break;
        case 4: Date_Time_System(); break;
        case 5: decode_event(); break;
        default: break;
    }
    return false;
}

void NEVA200::decode_status() {
    const std::uint8_t lo = av_byte(kPosStatus + 1), hi = av_byte(kPosStatus);
    for (int b = 0; b < 8; ++b) Valores[1 + b] = (lo >> b) & 1;
    for (int b = 0; b < 3; ++b) Valores[9 + b] = (hi >> b) & 1;
    const std::uint8_t relays = av_byte(kPosRelays + 1);
    for (int b = 0; b < 4; ++b) Valores[23 + b] = (relays >> b) & 1 ? " De-energized " : " Energized ";
    const std::uint8_t contacts = av_byte(kPosContacts + 1);
    for (int b = 0; b < 6; ++b) Valores[27 + b] = (contacts >> b) & 1 ? " Closed " : " Open ";
}

void NEVA200::decode_measurements() {
    // Hundredths of the unit: the fixed-point formatter takes ten-thousandths.
    for (int k = 0; k < 4; ++k)
        Valores[12 + k] = format_fixed(static_cast<Fixed4>(dword_at(kPosMeasures + 4 * k)) * 100, "###0.#0");
}

void NEVA200::Maintenance_Data() {
    Valores[16] = static_cast<std::int64_t>(word_at(kPosMaintenance));
    for (int k = 0; k < 3; ++k) Valores[17 + k] = static_cast<std::int64_t>(word_at(kPosMaintenance + 2 + 2 * k)) * 1000;
    for (int k = 0; k < 3; ++k) Valores[20 + k] = static_cast<std::int64_t>(word_at(kPosMaintenance + 8 + 2 * k));
}

void NEVA200::decode_last_trip() {
    const std::string t = Formato_8("0211", true);
    const auto comma = t.find(',');
    std::string event = t.substr(0, comma);
    std::string rest = comma == std::string::npos ? std::string() : t.substr(comma + 1);
    Valores[33] = event;
    Valores[34] = Valor(rest).number() == 0 ? std::string("0") : rest;
    for (int k = 0; k < 4; ++k)
        Valores[36 + k] = static_cast<double>(static_cast<float>(dword_at(kPosTripValues + 4 * k) / 100.0));
}

void NEVA200::Date_Time_System() { Valores[40] = Formato_8("0200", false); }

void NEVA200::decode_event() {
    const int selected = static_cast<int>(word_at(kPosEventWindow));
    const int newest = static_cast<int>(word_at(kPosEventHead));
    Ultimo_Numero = static_cast<std::int16_t>(newest);
    const int k = newest - selected;
    const std::string text = " " + std::to_string(selected) + "," + Formato_8("0611", true);
    if (k == -1)
        Valores[63] = text;
    else if (k >= 0 && k < 20)
        Valores[64 + k] = text;
}

std::string NEVA200::Formato_8(std::string_view direccion, bool con_evento) {
    const auto pos = Calcula_Posicion_AV(direccion);
    if (!pos) return {};
    const unsigned w1 = word_at(*pos), w2 = word_at(*pos + 2), w3 = word_at(*pos + 4);
    const unsigned code = (w1 & 0xFF80) / 128;
    const int year = static_cast<int>(w1 & 0x7F);
    const int month = static_cast<int>((w2 & 0x3C00) / 1024);
    const int day = static_cast<int>((w2 & 0x03E0) / 32);
    const int hour = static_cast<int>(w2 & 0x1F);
    const int minute = static_cast<int>((w3 & 0xFC00) / 1024);
    const int second = static_cast<int>((w3 & 0x03FF) / 10);  // the field holds tenths

    fecha_texto_ = (day || month || year) ? clock_.short_date(day, month, 2000 + year) : "0";
    const std::string hora = (second || minute || hour) ? time_text(hour, minute, second) : "0";
    std::string out = fecha_texto_ + " " + hora;
    if (con_evento) {
        // Codes have 9 bits but the relay names only codes up to 200.
        static const std::string kUnnamed;
        const std::string& evento = code < Textos_Evento.size() ? Textos_Evento[code] : kUnnamed;
        out = evento + "," + out;
    }
    return out;
}

}  // namespace neva
