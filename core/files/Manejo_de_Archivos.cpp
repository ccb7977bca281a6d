#include "files/Manejo_de_Archivos.h"

#include <filesystem>
#include <fstream>
#include <system_error>

#include "files/SafeSave.h"
#include "image/Manejo_de_Datos.h"

namespace neva {

namespace fs = std::filesystem;

namespace {
// Paths come from the file dialogs as UTF-8; saying so keeps names with accents
// working where the narrow code page is not UTF-8.
fs::path utf8_path(const std::string& s) { return fs::path(std::u8string(s.begin(), s.end())); }
}  // namespace

Manejo_de_Archivos::Manejo_de_Archivos(SharedState& state, RegisterImages& images, MessageService& messages,
                                       const Clock& clock)
    : state_(state), images_(images), messages_(messages), clock_(clock) {}

FileDialogSetup Manejo_de_Archivos::open_dialog_setup() {
    FileDialogSetup setup;
    setup.initial_name = "*.NEVA2";
    setup.filter = "NEVA Files (*.NEVA2)|*.NEVA2|All Files (*.*)|*.*|";
    return setup;
}

FileDialogSetup Manejo_de_Archivos::save_dialog_setup() {
    FileDialogSetup setup;
    setup.initial_name = "*.NEVA2";
    setup.filter = "NEVA Files (*.NEVA2)|*.NEVA2| All Files (*.*)|*.*|";
    setup.overwrite_prompt = true;
    setup.hide_read_only = true;
    return setup;
}

std::string Manejo_de_Archivos::save_failed_text(const std::string& path, const std::string& reason) {
    return "The setpoint file could not be saved to \"" + path + "\": " + reason +
           ". Any file already there is unchanged.";
}

std::string Manejo_de_Archivos::read_failed_text(const std::string& path) {
    return "The file \"" + path +
           "\" could not be read. Nothing was loaded. Check that it is a setpoint file you may read, "
           "then load it again.";
}

bool Manejo_de_Archivos::Guardar_Archivo(const std::string& path, const EventTextSource& events) {
    // Build the new record apart from the buffer: the buffer only takes it once it
    // is safely on disk, so a failed save leaves it as it was.
    Registro_Archivo rec = record_;
    rec.marker = kFileMarker;
    rec.date = to_ole_date(clock_.now());
    rec.programmer = state_.Programador.str();
    rec.relay_name = state_.Nombre_Rele.str();
    rec.observations = state_.Observaciones.str();
    rec.version = state_.Version_Rele;
    rec.actual_values = images_.Imagen_AV;
    rec.setpoints = images_.Imagen_Edicion;
    // All twenty entries the load reads come from one record: ten from the relay
    // and ten from another file would put two relays' events in one list. Entry 20
    // is never read and keeps what it held.
    if (events)
        for (int i = 0; i < kSavedEventCount; ++i) rec.events[i] = events(kFirstEventPosition + i);
    const RecordBytes bytes = rec.encode();

    const SaveOutcome saved = save_file_safely(utf8_path(path), bytes);
    if (!saved.ok) {
        messages_.message_box(save_failed_text(path, saved.reason), MsgButtons::Ok, MsgIcon::Exclamation, kAppTitle);
        return false;
    }
    record_ = rec;
    state_.unsaved_changes = false;
    return true;
}

LoadResult Manejo_de_Archivos::refuse(const std::string& text, MsgIcon icon) {
    state_.Archivo_Cargado = false;
    messages_.message_box(text, MsgButtons::Ok, icon, kAppTitle);
    return {};
}

LoadResult Manejo_de_Archivos::Leer_Archivo(const std::string& path) {
    std::error_code ec;
    const fs::path file = utf8_path(path);
    const fs::file_status st = fs::status(file, ec);
    // A missing file fails like a foreign one; it is never created.
    if (path.empty() || st.type() == fs::file_type::not_found) return refuse(kNotNevaFile, MsgIcon::None);
    if (ec || !fs::is_regular_file(st)) return refuse(read_failed_text(path), MsgIcon::Exclamation);

    std::ifstream in(file, std::ios::binary);
    if (!in) return refuse(read_failed_text(path), MsgIcon::Exclamation);
    RecordBytes bytes{};
    in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (in.bad()) return refuse(read_failed_text(path), MsgIcon::Exclamation);
    // A file shorter than one record cannot be a setpoint file, whatever it begins with.
    if (in.gcount() != static_cast<std::streamsize>(kRecordSize)) return refuse(kNotNevaFile, MsgIcon::None);

    const Registro_Archivo rec = Registro_Archivo::decode(bytes);
    // The header texts are taken over only after the marker check, so a foreign
    // file changes nothing at all.
    if (!rec.marker_ok()) return refuse(kNotNevaFile, MsgIcon::None);

    record_ = rec;
    state_.Nombre_Rele = rec.relay_name.str();
    state_.Observaciones = rec.observations.str();
    state_.Programador = rec.programmer.str();
    state_.Version_Rele = rec.version.str();
    // A running link sees the error at its next completion, closes the port and
    // goes offline: the loaded setpoints replace the relay's.
    state_.En_Linea = false;
    state_.Error_Comunicacion = true;
    state_.images_from_relay = false;
    images_.Imagen_Edicion = rec.setpoints;
    images_.Imagen_AV = rec.actual_values;
    // Entry 20 of the events field is not used.
    for (std::size_t i = 0; i < 20; ++i) {
        const std::string& s = rec.events[i].str();
        const auto first = s.find_first_not_of(' ');
        state_.Eventos_Guardados[i + 1] =
            first == std::string::npos ? std::string() : s.substr(first, s.find_last_not_of(' ') - first + 1);
    }
    // The loaded setpoints are also the offline scratch memory.
    Guarda_Edicion(images_);
    state_.Archivo_Cargado = true;
    state_.unsaved_changes = false;

    LoadResult r;
    r.loaded = true;
    r.caption = path + kCaptionSuffix;
    r.address_panel = "Address: " + std::to_string(state_.Direccion_Rele);
    r.status_panel = kNotCommunicating;
    return r;
}

LoadResult Manejo_de_Archivos::Abrir_Archivo() {
    // Send relies on this flag: a cancelled dialog must not leave the last load's success.
    state_.Archivo_Cargado = false;
    const auto name = messages_.open_file_name(open_dialog_setup());
    if (!name || name->empty()) {
        LoadResult r;
        r.cancelled = true;
        return r;
    }
    return Leer_Archivo(*name);
}

FileOutcome Manejo_de_Archivos::Guardar_Como(const EventTextSource& events) {
    const auto name = messages_.save_file_name(save_dialog_setup());
    if (!name || name->empty()) return FileOutcome::Cancelled;
    return Guardar_Archivo(*name, events) ? FileOutcome::Done : FileOutcome::Failed;
}

}  // namespace neva
