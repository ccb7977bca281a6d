#pragma once
// Programming of a Hayes-compatible modem that will sit at the relay, from the
// "Remote Modem Programing" frame of the connection dialog, and the file "AT" that
// keeps the user's personal initialisation string between runs.
//
// The modem is connected to a serial port of the computer for the duration of the
// programming. The exchange runs on the main window's serial port (the one the
// relay link uses): it is switched to the port and speed chosen in the frame, and
// the link gets its own port number, settings and open state back at the end.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "platform/Clock.h"
#include "platform/MessageService.h"
#include "platform/SerialPort.h"
#include "startup/SharedState.h"

namespace neva {

class Lectura_Escritura {
public:
    // Positions of `Option2` in the frame.
    static constexpr int kDefaultString = 0;
    static constexpr int kPersonalString = 1;

    // One record of the file "AT".
    static constexpr std::size_t kRecordLength = 100;

    static constexpr const char* kPleaseConnect = "Please Connect the Modem to ";
    static constexpr const char* kNotResponse = "Modem Not Response";
    static constexpr const char* kProgramed = "Modem Has Been Programed";
    static constexpr const char* kErrorAnswer = "Modem doesn't response";
    static constexpr const char* kPrompt = "Enter the New string initialization";

    // `port` is the main window's serial port (MSComm1). `process_events` lets the
    // user interface run during the waits that allow it (QCoreApplication::processEvents
    // in the program); `at_folder` is where the file "AT" is kept (the program passes
    // the user's configuration folder, created on the first save; empty = the current
    // directory). `old_at_folder` is where earlier versions kept it (the current
    // directory): its "AT" is read while `at_folder` has none, and never written.
    Lectura_Escritura(SharedState& state, SerialPort& port, Clock& clock, MessageService& messages,
                      std::function<void()> process_events, std::string at_folder = {},
                      std::string old_at_folder = {});

    // How the blocking pause and the idle moments of the waits let time pass; the
    // default sleeps the thread. Tests make it move a fake clock.
    void set_sleep(std::function<void(int milliseconds)> sleep);

    // The frame's "OK" button (`Modem`): `option` is the position of `Option2`,
    // `combo3_index` that of the speed list `Combo3` ("1200".."9600", -1 = none),
    // `combo4_index` and `combo4_text` those of the location list `Combo4`
    // ("COM1".."COM4", -1 = none). Does nothing when neither string is chosen, or
    // while a run started by an earlier press is still under way.
    void Modem_Click(int option, int combo3_index, int combo4_index, const std::string& combo4_text);

    // The two paths of the button.
    void Cadena_Por_Defecto(int combo3_index, int combo4_index, const std::string& combo4_text);
    void Cadena_Personal(int combo3_index, int combo4_index, const std::string& combo4_text);

    // Reads record `record` (1 = the first 100 bytes) of "AT" into Cadena_Modem, all
    // 100 characters. A missing file reads as an empty string and is not created. A
    // record the file does not hold in full leaves Cadena_Modem as it was and returns
    // false.
    bool Leer_Cadena_Modem(int record);
    // Writes Cadena_Modem, blank-padded or cut to 100 characters, into record `record`
    // of "AT", keeping the other records; creates the file when it is missing. The old
    // file is replaced only once the new one is complete (save_file_safely). False when
    // it cannot be written; save_error() then says why.
    bool Guardar_Cadena_Modem(int record);
    const std::string& save_error() const { return save_error_; }

    // The personal-string sequence on the port as it is set up now; sets Modem_Programado
    // and shows "Modem doesn't response" when the modem answers the string with ERROR.
    void Programar_Modem(const std::string& cadena);

    // Waits `milliseconds` without letting the user interface run (the "+++" escape
    // needs silence on the line around it). Bounded even if the clock stands still.
    void Pausa(int milliseconds);

    // Where "AT" is written; where it is read from (the old place while the new one
    // has no file yet).
    std::string at_file_path() const;
    std::string at_read_path() const;

    // The result code at the start of a modem's reply, after any echoed command line:
    // the number of a numeric code ("0" CR) or of a verbal one (CR LF "OK" CR LF = 0,
    // "ERROR" = 4, ...), -1 for a whole line that is no known code; nullopt while no
    // whole line has come.
    static std::optional<int> result_code(const std::string& reply);

private:
    // The link's port as it was before the programming took it.
    struct SavedPort {
        int number = 0;
        std::string settings;
        bool was_open = false;
        std::function<void(SerialPort::Event)> on_event;
        std::function<void()> on_lost;
    };

    // Puerto_Com and Velocidad_Com from the frame's lists.
    void apply_frame_choice(int combo3_index, int combo4_index);
    // The connection settings the programming changes, to be put back after it.
    struct KeptSettings {
        bool modo_modem = false;
        std::int16_t puerto = 0;
        std::int32_t velocidad = 0;
    };
    // Asks the user to connect the modem to the frame's port. On OK the connection
    // type is the direct line and the frame's port and speed are the shared settings
    // from here on, and the settings as they were come back; on Cancel (nullopt) the
    // settings are left as they were.
    std::optional<KeptSettings> confirm_modem_connected(int combo3_index, int combo4_index,
                                                        const std::string& combo4_text);
    // Switches the port to Puerto_Com at Velocidad_Com for the modem; false when no
    // such port can be opened (the link's port is given back already then).
    bool take_port();
    void give_port_back();

    // Default string: writes `command` + CR and collects the modem's reply until a
    // whole result code has come or two one-second periods have passed.
    std::string default_exchange(const std::string& command, bool& timed_out, std::size_t min_bytes);
    // Personal string: writes `text`, collects until CR LF "OK" (or CR LF "ERROR" when
    // `stop_on_error`) is in the reply or `limit_ms` has passed.
    std::string collect(int limit_ms, bool stop_on_error);

    // The personal-string sequence without its message: 1 accepted (CR LF "OK"),
    // 0 refused (CR LF "ERROR"), -1 no answer to the string in time.
    int run_personal_sequence(const std::string& cadena);

    void pump();
    void idle(int milliseconds);

    SharedState& state_;
    SerialPort& port_;
    Clock& clock_;
    MessageService& messages_;
    std::function<void()> process_events_;
    std::function<void(int)> sleep_;
    std::string at_folder_;
    std::string old_at_folder_;
    SavedPort saved_;
    bool running_ = false;
    std::string save_error_;
};

}  // namespace neva
