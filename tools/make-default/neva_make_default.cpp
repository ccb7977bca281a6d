// Writes the factory setpoint file Default.NEVA2 with the program's own save, so the
// file beside the program is always one this version reads back. Run by the build:
//   neva-make-default <path>

#include <cstdio>
#include <string>
#include <utility>

#include "files/Manejo_de_Archivos.h"
#include "image/Manejo_de_Datos.h"
#include "platform/Clock.h"
#include "platform/MessageService.h"

namespace {

// Nobody to ask at build time: a message is a failure, printed for the build log.
class BuildMessages : public neva::MessageService {
public:
    neva::MsgAnswer message_box(const std::string& text, neva::MsgButtons, neva::MsgIcon,
                                const std::string&) override {
        std::fprintf(stderr, "neva-make-default: %s\n", text.c_str());
        failed = true;
        return neva::MsgAnswer::Cancel;
    }
    std::optional<std::string> input_box(const std::string&, const std::string&, const std::string&) override {
        return std::nullopt;
    }
    std::optional<std::string> open_file_name(const neva::FileDialogSetup&) override { return std::nullopt; }
    std::optional<std::string> save_file_name(const neva::FileDialogSetup&) override { return std::nullopt; }
    bool failed = false;
};

// The relay as it leaves the factory: 50 Hz, 400/5 phase and 100/5 ground CTs,
// every event class recorded, breaker supervision on the auxiliary relays, and
// moderate overcurrent settings (51 at 1.00 x In on a standard inverse curve, 50 at
// 8 x In, ground 51N at 0.20 x In, 50N at 4 x In). Register, value.
constexpr std::pair<unsigned, unsigned> kFabrica[] = {
    {0x0101, 0x0020}, {0x0102, 400},    {0x0103, 100},    {0x0104, 630},  {0x0105, 100},
    {0x0106, 0x0001}, {0x0107, 5},      {0x0108, 10},     {0x0109, 10},   {0x010A, 10},
    {0x010B, 20},     {0x010E, 1},      {0x010F, 2},      {0x0110, 3},    {0x0114, 0x001F},
    {0x0115, 0x0002}, {0x0116, 200},    {0x0117, 0x0104}, {0x0118, 5000}, {0x0119, 0x0008},
    {0x011A, 1000},
    {0x0180, 0x0001}, {0x0181, 100},    {0x0182, 2},      {0x0183, 10},   {0x0184, 100},
    {0x0185, 0x0001}, {0x0186, 800},    {0x0187, 50},     {0x0188, 0x0002}, {0x0189, 90},
    {0x018A, 500},    {0x018B, 0x0001}, {0x018C, 20},     {0x018D, 0},    {0x018E, 10},
    {0x018F, 50},     {0x0190, 0x0001}, {0x0191, 400},    {0x0192, 50},   {0x0193, 0x0002},
    {0x0194, 15},     {0x0195, 1000},
};

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: neva-make-default <path of Default.NEVA2>\n");
        return 2;
    }
    neva::SharedState state;
    neva::RegisterImages images;
    BuildMessages messages;
    neva::SystemClock clock;

    for (const auto& [registro, valor] : kFabrica) {
        // Registers are stored high byte first. The high byte of 0117 is the relay
        // address in use (1).
        const int pos = neva::Posicion_Setpoint(neva::Texto_Hex(static_cast<std::int32_t>(registro), 4));
        images.Imagen_Edicion[pos] = static_cast<std::uint8_t>(valor >> 8);
        images.Imagen_Edicion[pos + 1] = static_cast<std::uint8_t>(valor & 0xFF);
    }
    images.Imagen_Setpoints = images.Imagen_Edicion;
    state.Nombre_Rele = "NEVA200";
    state.Programador = "";
    state.Observaciones = "Factory setting";
    state.Version_Rele = "1.03";

    neva::Manejo_de_Archivos archivos(state, images, messages, clock);
    if (!archivos.Guardar_Archivo(argv[1], {}) || messages.failed) return 1;
    return 0;
}
