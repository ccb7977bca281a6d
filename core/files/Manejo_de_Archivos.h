#pragma once
// Setpoint files: the record buffer that lives for the whole run, the save and the
// load of one file, and the two file dialogs in front of them.
//
// A load checks the file before it touches anything: a missing, short, unreadable
// or foreign file is refused with a message and leaves the images, the header
// texts and the buffer as they were. A save goes through save_file_safely
// (files/SafeSave.h), so a failed save never destroys a file.
// Paths are UTF-8 text.

#include <functional>
#include <string>

#include "files/Registro_Archivo.h"
#include "image/RegisterImages.h"
#include "platform/Clock.h"
#include "platform/MessageService.h"
#include "startup/SharedState.h"

namespace neva {

// The text of the link's decoded value at a position of its value table; a save
// asks for positions 64..83, the twenty newest event records, newest first.
using EventTextSource = std::function<std::string(int position)>;

enum class FileOutcome { Done, Cancelled, Failed };

// What the main window shows after a load.
struct LoadResult {
    bool loaded = false;
    bool cancelled = false;       // the open dialog was cancelled (Abrir_Archivo only)
    std::string caption;          // path + " - NEVA Setup 2.0"
    std::string address_panel;    // status bar panel 5: "Address: " + Direccion_Rele
    std::string status_panel;     // status bar panel 6: "Not Communicating.."
};

class Manejo_de_Archivos {
public:
    static constexpr const char* kNotNevaFile = "It isn't NEVA File";
    static constexpr const char* kCaptionSuffix = " - NEVA Setup 2.0";
    static constexpr const char* kNotCommunicating = "Not Communicating..";
    static constexpr int kFirstEventPosition = 64;
    static constexpr int kSavedEventCount = 20;

    Manejo_de_Archivos(SharedState& state, RegisterImages& images, MessageService& messages, const Clock& clock);

    // Writes the record to `path`: marker, the clock's date, header texts, the edit
    // and actual-value images and entries 0..19 of the events from `events` (left as
    // they are, the loaded file's, when `events` is empty). On failure shows a message and returns false;
    // the old file at `path` and the buffer stay as they were.
    bool Guardar_Archivo(const std::string& path, const EventTextSource& events);
    // Reads and checks the file and takes it over; see LoadResult.
    LoadResult Leer_Archivo(const std::string& path);
    // Open dialog, then Leer_Archivo. Clears Archivo_Cargado first, even on cancel.
    LoadResult Abrir_Archivo();
    // Save dialog (overwrite prompt, no read-only box), then Guardar_Archivo.
    FileOutcome Guardar_Como(const EventTextSource& events);

    const Registro_Archivo& record() const { return record_; }

    static FileDialogSetup open_dialog_setup();
    static FileDialogSetup save_dialog_setup();
    // Own messages for failures that are not a wrong marker; `reason` finishes the
    // sentence ("the disk is full").
    static std::string save_failed_text(const std::string& path, const std::string& reason);
    static std::string read_failed_text(const std::string& path);

private:
    LoadResult refuse(const std::string& text, MsgIcon icon);

    SharedState& state_;
    RegisterImages& images_;
    MessageService& messages_;
    const Clock& clock_;
    Registro_Archivo record_;
};

}  // namespace neva
