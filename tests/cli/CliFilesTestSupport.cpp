#include "CliFilesTestSupport.h"

#include <gtest/gtest.h>

#include "files/Manejo_de_Archivos.h"
#include "startup/SharedState.h"
#include "testing/FakeClock.h"
#include "testing/ScriptedMessages.h"

namespace neva::cli::testing {

void write_setpoint_file(const std::string& path, const SetpointImage& setpoints, const FileHeader& header) {
    SharedState state;
    RegisterImages images;
    neva::testing::ScriptedMessages messages;
    neva::testing::FakeClock clock;  // 6 December 2026, 12:00:00
    images.Imagen_Edicion = setpoints;
    state.Programador = header.programmer;
    state.Nombre_Rele = header.relay_name;
    state.Observaciones = header.observations;
    state.Version_Rele = header.version;
    ASSERT_TRUE(Manejo_de_Archivos(state, images, messages, clock).Guardar_Archivo(path, {})) << path;
}

Registro_Archivo read_record(const std::string& path) {
    const std::string bytes = neva::testing::read_file(path);
    EXPECT_GE(bytes.size(), kRecordSize) << path;
    RecordBytes record{};
    std::copy_n(bytes.begin(), std::min(bytes.size(), kRecordSize), record.begin());
    return Registro_Archivo::decode(record);
}

SetpointImage factory_setpoints() { return read_record(NEVA_DEFAULT_FILE).setpoints; }

void write_modified_copy(const std::string& from, const std::string& to,
                         std::initializer_list<std::pair<const char*, std::uint16_t>> changes) {
    Registro_Archivo rec = read_record(from);
    for (const auto& [address, value] : changes) put_word(rec.setpoints, address, value);
    const RecordBytes bytes = rec.encode();
    neva::testing::write_file(to, std::string(bytes.begin(), bytes.end()));
}

}  // namespace neva::cli::testing
