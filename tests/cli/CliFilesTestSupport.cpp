#include "CliFilesTestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>

#include "files/Manejo_de_Archivos.h"
#include "image/Manejo_de_Datos.h"
#include "startup/SharedState.h"
#include "testing/FakeClock.h"
#include "testing/ScriptedMessages.h"

namespace neva::cli::testing {

namespace fs = std::filesystem;

TempDir::TempDir() {
    std::random_device rd;
    const fs::path p = fs::temp_directory_path() / ("neva-cli-test-" + std::to_string(rd()) + std::to_string(rd()));
    fs::create_directories(p);
    dir_ = p.string();
}

TempDir::~TempDir() {
    std::error_code ec;
    fs::remove_all(dir_, ec);
}

std::string TempDir::path(const std::string& name) const { return (fs::path(dir_) / name).string(); }

void write_setpoint_file(const std::string& path, const SetpointImage& setpoints, const FileHeader& header) {
    SharedState state;
    RegisterImages images;
    neva::testing::ScriptedMessages messages;
    neva::testing::FakeClock clock;
    clock.set_now({2026, 12, 6, 12, 0, 0});
    images.Imagen_Edicion = setpoints;
    state.Programador = header.programmer;
    state.Nombre_Rele = header.relay_name;
    state.Observaciones = header.observations;
    state.Version_Rele = header.version;
    Manejo_de_Archivos files(state, images, messages, clock);
    ASSERT_TRUE(files.Guardar_Archivo(path, {})) << path;
}

Registro_Archivo read_record(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    RecordBytes bytes{};
    in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    EXPECT_EQ(in.gcount(), static_cast<std::streamsize>(kRecordSize)) << path;
    return Registro_Archivo::decode(bytes);
}

SetpointImage factory_setpoints() {
#ifdef NEVA_DEFAULT_FILE
    return read_record(NEVA_DEFAULT_FILE).setpoints;
#else
    ADD_FAILURE() << "no factory file known to this test";
    return {};
#endif
}

void write_modified_copy(const std::string& from, const std::string& to,
                         std::initializer_list<std::pair<const char*, std::uint16_t>> changes) {
    Registro_Archivo rec = read_record(from);
    for (const auto& [address, value] : changes) put_word(rec.setpoints, address, value);
    const RecordBytes bytes = rec.encode();
    std::ofstream out(to, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    ASSERT_TRUE(out.good()) << to;
}

}  // namespace neva::cli::testing
