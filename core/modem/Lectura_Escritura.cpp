#include "modem/Lectura_Escritura.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>
#include <span>
#include <thread>

#include "files/SafeSave.h"

namespace neva {

namespace {

namespace fs = std::filesystem;

constexpr char kCr = '\r';

// The default string's time-out: two ticks of a one-second timer.
constexpr int kTickMs = 1000;
constexpr int kDefaultTicks = 2;

// Between two looks at the port the waits give the time to the system in short
// slices, so that a wait never spins and always ends even if the clock stood still.
constexpr int kIdleSliceMs = 5;
constexpr int kPauseSliceMs = 10;

constexpr const char* kSaveFailed = "The modem string could not be saved in the file AT";

std::string trim_blanks(const std::string& s) {
    const auto first = s.find_first_not_of(' ');
    if (first == std::string::npos) return {};
    const auto last = s.find_last_not_of(' ');
    return s.substr(first, last - first + 1);
}

std::string as_text(const std::vector<std::uint8_t>& bytes) { return std::string(bytes.begin(), bytes.end()); }

}  // namespace

Lectura_Escritura::Lectura_Escritura(SharedState& state, SerialPort& port, Clock& clock, MessageService& messages,
                                     std::function<void()> process_events, std::string at_folder,
                                     std::string old_at_folder)
    : state_(state),
      port_(port),
      clock_(clock),
      messages_(messages),
      process_events_(std::move(process_events)),
      sleep_([](int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }),
      at_folder_(std::move(at_folder)),
      old_at_folder_(std::move(old_at_folder)) {}

void Lectura_Escritura::set_sleep(std::function<void(int)> sleep) { sleep_ = std::move(sleep); }

void Lectura_Escritura::pump() {
    if (process_events_) process_events_();
}

void Lectura_Escritura::idle(int milliseconds) {
    if (sleep_) sleep_(milliseconds);
}

void Lectura_Escritura::Modem_Click(int option, int combo3_index, int combo4_index, const std::string& combo4_text) {
    // The waits let the user interface run, so the button can be pressed again while
    // a run is under way; a second run on the same port would garble both.
    if (running_) return;
    running_ = true;
    struct Done {
        bool& flag;
        ~Done() { flag = false; }
    } done{running_};
    // With neither string chosen there is nothing to send.
    if (option == kPersonalString)
        Cadena_Personal(combo3_index, combo4_index, combo4_text);
    else if (option == kDefaultString)
        Cadena_Por_Defecto(combo3_index, combo4_index, combo4_text);
}

void Lectura_Escritura::apply_frame_choice(int combo3_index, int combo4_index) {
    static constexpr std::int32_t kSpeeds[] = {1200, 2400, 4800, 9600};
    if (combo3_index >= 0 && combo3_index < 4) state_.Velocidad_Com = kSpeeds[combo3_index];
    state_.Puerto_Com = static_cast<std::int16_t>(combo4_index + 1);
}

// ---------------------------------------------------------------------------
// The serial port

bool Lectura_Escritura::take_port() {
    saved_.number = port_.port_number();
    saved_.settings = port_.settings();
    saved_.was_open = port_.is_open();
    saved_.on_event = port_.on_event;
    saved_.on_lost = port_.on_lost;

    // The link's handlers stay out of the exchange: with no events and no owner for
    // a lost device, nothing but this sequence reads the modem's replies.
    port_.on_event = nullptr;
    port_.on_lost = nullptr;
    port_.set_receive_threshold(0);
    port_.set_send_threshold(0);

    if (port_.is_open()) port_.close();
    port_.set_port_number(state_.Puerto_Com);
    port_.set_settings(std::to_string(state_.Velocidad_Com) + ",N,8,1");
    if (state_.Puerto_Com < 1 || !port_.open()) {
        give_port_back();
        return false;
    }
    // Most modems ignore commands while the computer does not hold DTR.
    port_.set_dtr(true);
    port_.read_all();
    return true;
}

void Lectura_Escritura::give_port_back() {
    SavedPort saved = std::move(saved_);
    saved_ = SavedPort{};
    port_.set_dtr(false);
    port_.close();
    port_.set_port_number(saved.number);
    port_.set_settings(saved.settings);
    const bool reopened = saved.was_open && port_.open();
    // The link arms its own thresholds for every request it sends.
    port_.set_receive_threshold(1);
    port_.set_send_threshold(1);
    port_.on_event = std::move(saved.on_event);
    port_.on_lost = std::move(saved.on_lost);
    // The link's device went away while the modem had the port: the link hears of it
    // as if it had been pulled out under it.
    if (saved.was_open && !reopened && port_.on_lost) port_.on_lost();
}

// ---------------------------------------------------------------------------
// Default string

std::optional<int> Lectura_Escritura::result_code(const std::string& reply) {
    std::size_t pos = 0;
    const std::size_t n = reply.size();
    for (;;) {
        while (pos < n && (reply[pos] == '\r' || reply[pos] == '\n')) ++pos;
        if (pos >= n) return std::nullopt;
        const std::size_t cr = reply.find(kCr, pos);
        if (cr == std::string::npos) return std::nullopt;
        const std::string line = trim_blanks(reply.substr(pos, cr - pos));
        pos = cr + 1;
        // A modem with echo on repeats the command line before it answers.
        if (line.size() >= 2 && std::toupper(static_cast<unsigned char>(line[0])) == 'A' &&
            std::toupper(static_cast<unsigned char>(line[1])) == 'T')
            continue;
        if (line.empty()) continue;
        if (line.size() <= 3 &&
            std::all_of(line.begin(), line.end(), [](char c) { return c >= '0' && c <= '9'; }))
            return std::stoi(line);
        static const std::pair<const char*, int> kVerbal[] = {
            {"OK", 0}, {"CONNECT", 1}, {"RING", 2}, {"NO CARRIER", 3}, {"ERROR", 4},
            {"NO DIALTONE", 6}, {"BUSY", 7}, {"NO ANSWER", 8}};
        for (const auto& [word, code] : kVerbal)
            if (line == word) return code;
        if (line.rfind("CONNECT ", 0) == 0) return 1;
        return -1;
    }
}

std::string Lectura_Escritura::default_exchange(const std::string& command, bool& timed_out,
                                                std::size_t min_bytes) {
    // Whatever is still on the line belongs to nothing we asked.
    port_.read_all();
    port_.write_text(command + kCr);

    // The reply is taken whole: a modem with echo on sends the command back first,
    // and a code read from the echo, or a half reply left for the next command,
    // would report a refused command as accepted.
    std::string reply;
    const std::int64_t start = clock_.monotonic_ms();
    const int limit = kDefaultTicks * kTickMs;
    for (int n = 0; n <= limit / kIdleSliceMs + 1; ++n) {
        pump();
        if (port_.bytes_waiting() > 0) reply += as_text(port_.read_all());
        if (result_code(reply)) break;
        if (clock_.monotonic_ms() - start >= limit) break;
        idle(kIdleSliceMs);
    }
    timed_out = reply.size() < min_bytes;
    return reply;
}

std::optional<Lectura_Escritura::KeptSettings> Lectura_Escritura::confirm_modem_connected(
    int combo3_index, int combo4_index, const std::string& combo4_text) {
    const MsgAnswer answer =
        messages_.message_box(kPleaseConnect + combo4_text, MsgButtons::OkCancel, MsgIcon::None, kAppTitle);
    if (answer != MsgAnswer::Ok) return std::nullopt;
    const KeptSettings kept{state_.Modo_Modem, state_.Puerto_Com, state_.Velocidad_Com};
    // From here on the frame's port and speed stay the shared settings, and the
    // connection type stays the direct line.
    state_.Modo_Modem = false;
    apply_frame_choice(combo3_index, combo4_index);
    return kept;
}

void Lectura_Escritura::Cadena_Por_Defecto(int combo3_index, int combo4_index, const std::string& combo4_text) {
    const auto kept = confirm_modem_connected(combo3_index, combo4_index, combo4_text);
    if (!kept) return;

    auto no_response = [&] {
        messages_.message_box(kNotResponse, MsgButtons::Ok, MsgIcon::None, kAppTitle);
        state_.En_Linea = false;
    };

    // Port and speed stay those of the frame on the failure paths, as the user chose
    // them last; only the connection type is put back.
    if (!take_port()) {
        no_response();
        state_.Modo_Modem = kept->modo_modem;
        return;
    }

    // Factory profile first, so that the stored profile holds nothing but what follows.
    bool timed_out = false;
    default_exchange("AT&F", timed_out, 2);
    if (timed_out) {
        give_port_back();
        no_response();
        state_.Modo_Modem = kept->modo_modem;
        return;
    }

    // Echo off, numeric results, answer on the second ring; store as profile 1 and
    // make it the one loaded at power-up.
    const std::string reply = default_exchange("ATE0 V0 S0=2 &W1 &Y1", timed_out, 1);
    give_port_back();
    if (timed_out) {
        no_response();
        return;
    }
    if (result_code(reply) == 0)
        messages_.message_box(kProgramed, MsgButtons::Ok, MsgIcon::None, kAppTitle);

    state_.Modo_Modem = kept->modo_modem;
    state_.Puerto_Com = kept->puerto;
    state_.Velocidad_Com = kept->velocidad;
}

// ---------------------------------------------------------------------------
// Personal string

void Lectura_Escritura::Pausa(int milliseconds) {
    const std::int64_t start = clock_.monotonic_ms();
    for (int n = 0; n <= milliseconds / kPauseSliceMs + 1; ++n) {
        const std::int64_t left = milliseconds - (clock_.monotonic_ms() - start);
        if (left <= 0) break;
        idle(static_cast<int>(std::min<std::int64_t>(left, kPauseSliceMs)));
    }
}

std::string Lectura_Escritura::collect(int limit_ms, bool stop_on_error) {
    std::string reply;
    const std::int64_t start = clock_.monotonic_ms();
    for (int n = 0; n <= limit_ms / kIdleSliceMs + 1; ++n) {
        pump();
        if (port_.bytes_waiting() > 0) reply += as_text(port_.read_all());
        // Only a code at the start of a line counts: "OK" inside an echoed string is
        // not the modem's answer.
        if (reply.find("\r\nOK") != std::string::npos) break;
        if (stop_on_error && reply.find("\r\nERROR") != std::string::npos) break;
        if (clock_.monotonic_ms() - start > limit_ms) break;
        idle(kIdleSliceMs);
    }
    return reply;
}

int Lectura_Escritura::run_personal_sequence(const std::string& cadena) {
    port_.clear_buffers();

    // Verbal results, no echo.
    port_.write_text(std::string("ATV1E0") + kCr);
    collect(10000, false);

    // The escape to command mode needs a second of silence on each side of it.
    Pausa(1000);
    port_.write_text("+++");
    Pausa(1000);
    collect(2000, false);

    port_.write_text(std::string("ATH") + kCr);
    collect(10000, false);
    port_.write_text(std::string("AT&F") + kCr);
    collect(10000, false);
    port_.write_text(std::string("AT&K0N1") + kCr);
    collect(5000, false);

    port_.write_text(cadena + kCr);
    const std::string reply = collect(20000, true);
    if (reply.find("\r\nOK") != std::string::npos) return 1;
    if (reply.find("\r\nERROR") != std::string::npos) return 0;
    return -1;
}

void Lectura_Escritura::Programar_Modem(const std::string& cadena) {
    const int outcome = run_personal_sequence(cadena);
    state_.Modem_Programado = outcome == 1;
    if (outcome == 0) messages_.message_box(kErrorAnswer, MsgButtons::Ok, MsgIcon::None, kAppTitle);
}

void Lectura_Escritura::Cadena_Personal(int combo3_index, int combo4_index, const std::string& combo4_text) {
    Leer_Cadena_Modem(1);
    const std::optional<std::string> typed =
        messages_.input_box(kPrompt, kAppTitle, trim_blanks(state_.Cadena_Modem));
    // Cancel ends the run: nothing is kept, written or sent.
    if (!typed) return;
    // The file keeps one record of 100 characters; what is sent is what is kept.
    state_.Cadena_Modem = trim_blanks(*typed).substr(0, kRecordLength);
    state_.Cadena_Modem = trim_blanks(state_.Cadena_Modem);
    if (!state_.Cadena_Modem.empty() && !Guardar_Cadena_Modem(1))
        messages_.message_box(std::string(kSaveFailed) + ": " + save_error() + ".", MsgButtons::Ok,
                              MsgIcon::Exclamation, kAppTitle);

    if (!confirm_modem_connected(combo3_index, combo4_index, combo4_text)) return;

    if (!take_port()) {
        state_.Modem_Programado = false;
        messages_.message_box(kNotResponse, MsgButtons::Ok, MsgIcon::None, kAppTitle);
        return;
    }
    const int outcome = run_personal_sequence(state_.Cadena_Modem);
    give_port_back();
    state_.Modem_Programado = outcome == 1;
    if (outcome == 0) messages_.message_box(kErrorAnswer, MsgButtons::Ok, MsgIcon::None, kAppTitle);
    if (state_.Modem_Programado) messages_.message_box(kProgramed, MsgButtons::Ok, MsgIcon::None, kAppTitle);
}

// ---------------------------------------------------------------------------
// The file "AT"

std::string Lectura_Escritura::at_file_path() const {
    return at_folder_.empty() ? std::string("AT") : (fs::path(at_folder_) / "AT").string();
}

std::string Lectura_Escritura::at_read_path() const {
    // A string saved by an earlier version, in the directory it was started from,
    // is still offered until the user saves one in the new place.
    std::error_code ec;
    const std::string path = at_file_path();
    if (old_at_folder_.empty() || fs::exists(path, ec) || ec) return path;
    const std::string old_path = (fs::path(old_at_folder_) / "AT").string();
    return fs::is_regular_file(old_path, ec) ? old_path : path;
}

bool Lectura_Escritura::Leer_Cadena_Modem(int record) {
    if (record < 1) return false;
    const fs::path path = at_read_path();
    std::error_code ec;
    if (!fs::exists(path, ec)) {
        if (ec) return false;
        state_.Cadena_Modem.clear();
        return true;
    }
    // A pipe or a device at that name would block the read or never end it.
    if (!fs::is_regular_file(path, ec)) return false;
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    in.seekg(static_cast<std::streamoff>((record - 1) * kRecordLength));
    std::string buf(kRecordLength, ' ');
    in.read(buf.data(), static_cast<std::streamsize>(kRecordLength));
    if (in.gcount() != static_cast<std::streamsize>(kRecordLength)) return false;
    state_.Cadena_Modem = buf;
    return true;
}

bool Lectura_Escritura::Guardar_Cadena_Modem(int record) {
    if (record < 1) return false;
    const fs::path path = at_file_path();
    std::error_code ec;
    // The configuration folder does not exist before the first string is kept.
    if (!at_folder_.empty() && !fs::is_directory(at_folder_, ec) && !fs::create_directories(at_folder_, ec)) {
        save_error_ = "its folder " + at_folder_ + " cannot be created";
        return false;
    }

    // The other records of the file are kept as they are; a file they cannot be
    // read from is not replaced.
    save_error_ = "the file there cannot be read";
    std::string content;
    if (fs::exists(path, ec)) {
        if (!fs::is_regular_file(path, ec)) {
            save_error_ = kNotPlainFile;
            return false;
        }
        std::ifstream in(path, std::ios::binary);
        if (!in) return false;
        content.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        if (in.bad()) return false;
    } else if (ec) {
        return false;
    }
    const std::size_t offset = static_cast<std::size_t>(record - 1) * kRecordLength;
    if (content.size() < offset + kRecordLength) content.resize(offset + kRecordLength, ' ');
    std::string field = state_.Cadena_Modem.substr(0, kRecordLength);
    field.resize(kRecordLength, ' ');
    content.replace(offset, kRecordLength, field);

    // The same safe save as the setpoint files: a failed write never leaves a broken
    // "AT" behind, and whatever lies at the name is written through or refused.
    const SaveOutcome saved = save_file_safely(
        path, std::span(reinterpret_cast<const std::uint8_t*>(content.data()), content.size()));
    save_error_ = saved.reason;
    return saved.ok;
}

}  // namespace neva
