#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "files/Manejo_de_Archivos.h"
#include "testing/FakeClock.h"
#include "testing/ScriptedMessages.h"

namespace neva {
namespace {

namespace fs = std::filesystem;
using testing::FakeClock;
using testing::ScriptedMessages;

std::vector<std::uint8_t> read_all(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {});
}

void write_all(const fs::path& p, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

std::string text_at(const std::vector<std::uint8_t>& b, std::size_t offset, std::size_t len) {
    return std::string(reinterpret_cast<const char*>(b.data() + offset), len);
}

// Writes a blank-padded text field of `width` characters into a record.
void put_text(std::vector<std::uint8_t>& b, std::size_t offset, std::string text, std::size_t width) {
    text.resize(width, ' ');
    std::copy(text.begin(), text.end(), b.begin() + static_cast<std::ptrdiff_t>(offset));
}

std::string event_text(int position) { return "Event at " + std::to_string(position); }

class SetpointFiles : public ::testing::Test {
protected:
    void SetUp() override {
        std::random_device rd;
        dir = fs::temp_directory_path() / ("neva_files_" + std::to_string(rd()) + std::to_string(rd()));
        fs::create_directories(dir);
        clock.set_now({2026, 12, 6, 18, 30, 15});
        state.Direccion_Rele = 7;
        state.Programador = "J. Perez";
        state.Nombre_Rele = "FEEDER 7 NORTH BAY 12345";  // 24 characters, kept as 20
        state.Observaciones = "Commissioning values";
        state.Version_Rele = "1.03";
        for (std::size_t i = 0; i < kSetpointImageSize; ++i) images.Imagen_Edicion[i] = static_cast<std::uint8_t>(i + 1);
        for (std::size_t i = 0; i < kAvImageSize; ++i) images.Imagen_AV[i] = static_cast<std::uint8_t>(i * 7);
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(dir, ec);
    }

    // A valid file, saved by a separate run, at `p`.
    void save_sample(const fs::path& p) {
        ScriptedMessages quiet;
        Manejo_de_Archivos other(state, images, quiet, clock);
        ASSERT_TRUE(other.Guardar_Archivo(p.string(), event_text));
    }

    fs::path dir;
    SharedState state;
    RegisterImages images;
    ScriptedMessages msgs;
    FakeClock clock;
};

TEST_F(SetpointFiles, SavedFileIsOneExactRecordReplacingALongerOne) {
    Manejo_de_Archivos files(state, images, msgs, clock);
    const fs::path p = dir / "a.NEVA2";
    write_all(p, std::vector<std::uint8_t>(5000, 0x41));
    ASSERT_TRUE(files.Guardar_Archivo(p.string(), event_text));

    const auto b = read_all(p);
    ASSERT_EQ(b.size(), 3168u);
    EXPECT_EQ(text_at(b, 0, 50), "NEVA2" + std::string(45, ' '));
    // 6 December 2026 18:30:15 is day 46362.771006944...
    const std::uint8_t date[8] = {0x6c, 0xc1, 0x16, 0xac, 0x58, 0xa3, 0xe6, 0x40};
    for (int i = 0; i < 8; ++i) EXPECT_EQ(b[50 + i], date[i]) << i;
    EXPECT_EQ(text_at(b, 58, 20), "J. Perez" + std::string(12, ' '));
    EXPECT_EQ(text_at(b, 78, 20), "FEEDER 7 NORTH BAY 1");
    EXPECT_EQ(text_at(b, 98, 100), "Commissioning values" + std::string(80, ' '));
    EXPECT_TRUE(std::equal(images.Imagen_Edicion.begin(), images.Imagen_Edicion.end(), b.begin() + 198));
    EXPECT_TRUE(std::equal(images.Imagen_AV.begin(), images.Imagen_AV.end(), b.begin() + 399));
    EXPECT_EQ(text_at(b, 1900, 60), "Event at 64" + std::string(49, ' '));
    EXPECT_EQ(text_at(b, 1900 + 19 * 60, 60), "Event at 83" + std::string(49, ' '));
    EXPECT_EQ(text_at(b, 1900 + 20 * 60, 60), std::string(60, ' '));
    EXPECT_EQ(text_at(b, 3160, 8), "1.03    ");
    // No temporary file is left beside it.
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);
}

TEST_F(SetpointFiles, SaveThenLoadRestoresEverything) {
    const fs::path p = dir / "round.NEVA2";
    save_sample(p);
    const auto edit = images.Imagen_Edicion;
    const auto av = images.Imagen_AV;

    SharedState fresh;
    fresh.Direccion_Rele = 3;
    fresh.En_Linea = true;
    RegisterImages blank;
    blank.Imagen_Setpoints.fill(0xEE);
    Manejo_de_Archivos files(fresh, blank, msgs, clock);
    const LoadResult r = files.Leer_Archivo(p.string());

    EXPECT_TRUE(r.loaded);
    EXPECT_EQ(r.caption, p.string() + " - NEVA Setup 2.0");
    EXPECT_EQ(blank.Imagen_Edicion, edit);
    EXPECT_EQ(blank.Imagen_Setpoints, edit);
    EXPECT_EQ(blank.Imagen_AV, av);
    EXPECT_EQ(fresh.Nombre_Rele.str(), "FEEDER 7 NORTH BAY 1");
    EXPECT_EQ(fresh.Version_Rele, "1.03    ");  // 8 characters as stored
    EXPECT_FALSE(fresh.En_Linea);
    EXPECT_TRUE(fresh.Archivo_Cargado);
    EXPECT_EQ(fresh.Eventos_Guardados[1], "Event at 64");
    EXPECT_EQ(fresh.Eventos_Guardados[20], "Event at 83");
}

TEST_F(SetpointFiles, EventEntriesComeFromOneRecordOnly) {
    // A file whose 21 event entries are all filled; a save with the link's record
    // refreshes all twenty that a load reads, a save without keeps the file's.
    const fs::path p = dir / "events.NEVA2";
    save_sample(p);
    auto b = read_all(p);
    for (int i = 0; i < 21; ++i) put_text(b, 1900 + i * 60, "  old " + std::to_string(i), 60);
    write_all(p, b);

    Manejo_de_Archivos files(state, images, msgs, clock);
    ASSERT_TRUE(files.Leer_Archivo(p.string()).loaded);
    EXPECT_EQ(state.Eventos_Guardados[1], "old 0");
    EXPECT_EQ(state.Eventos_Guardados[20], "old 19");
    // A refused load in between must not disturb the kept entries.
    write_all(dir / "bad.NEVA2", std::vector<std::uint8_t>(3168, 'x'));
    msgs.expect_message("It isn't NEVA File");
    EXPECT_FALSE(files.Leer_Archivo((dir / "bad.NEVA2").string()).loaded);

    const fs::path q = dir / "copy.NEVA2";
    ASSERT_TRUE(files.Guardar_Archivo(q.string(), event_text));
    const auto c = read_all(q);
    EXPECT_EQ(text_at(c, 1900, 11), "Event at 64");
    EXPECT_EQ(text_at(c, 1900 + 19 * 60, 12), "Event at 83 ");
    EXPECT_EQ(text_at(c, 1900 + 20 * 60, 12), "  old 20    ");
    ASSERT_TRUE(files.Leer_Archivo(p.string()).loaded);
    ASSERT_TRUE(files.Guardar_Archivo(q.string(), {}));
    EXPECT_EQ(text_at(read_all(q), 1900, 12), "  old 0     ");
}

TEST_F(SetpointFiles, PaddedMarkerAndLongerFileAreAccepted) {
    const fs::path p = dir / "padded.NEVA2";
    save_sample(p);
    auto b = read_all(p);
    put_text(b, 0, "  NEVA2", 50);
    b.resize(4000, 0x5A);  // an older, longer file: only the first record counts
    write_all(p, b);
    Manejo_de_Archivos files(state, images, msgs, clock);
    EXPECT_TRUE(files.Leer_Archivo(p.string()).loaded);
}

TEST_F(SetpointFiles, RefusedFilesChangeNothing) {
    save_sample(dir / "good.NEVA2");
    const auto full = read_all(dir / "good.NEVA2");
    auto foreign = full;  // another marker and other header texts
    put_text(foreign, 0, "NEVA1", 50);
    put_text(foreign, 78, "SOMEBODY ELSE", 20);
    write_all(dir / "foreign.NEVA2", foreign);
    write_all(dir / "short.NEVA2", std::vector<std::uint8_t>(full.begin(), full.end() - 1));
    write_all(dir / "empty.NEVA2", {});

    state.En_Linea = state.Archivo_Cargado = true;
    state.Nombre_Rele = "KEEP ME";
    images.Imagen_Setpoints.fill(0x32);
    const RegisterImages before = images;
    Manejo_de_Archivos files(state, images, msgs, clock);
    for (const char* file : {"foreign.NEVA2", "short.NEVA2", "empty.NEVA2", "missing.NEVA2"}) {
        SCOPED_TRACE(file);
        state.Archivo_Cargado = true;
        msgs.expect_message("It isn't NEVA File", kAppTitle, MsgButtons::Ok, MsgIcon::None);
        EXPECT_FALSE(files.Leer_Archivo((dir / file).string()).loaded);
        msgs.verify();
        EXPECT_FALSE(state.Archivo_Cargado);
        EXPECT_TRUE(state.En_Linea);
        EXPECT_EQ(state.Nombre_Rele.trimmed_right(), "KEEP ME");
        EXPECT_EQ(images.Imagen_Edicion, before.Imagen_Edicion);
        EXPECT_EQ(images.Imagen_Setpoints, before.Imagen_Setpoints);
        EXPECT_EQ(images.Imagen_AV, before.Imagen_AV);
    }
    // Opening a missing path does not create it.
    EXPECT_FALSE(fs::exists(dir / "missing.NEVA2"));
    // A path that cannot be read as a file gets its own message.
    msgs.expect_message(Manejo_de_Archivos::read_failed_text(dir.string()));
    EXPECT_FALSE(files.Leer_Archivo(dir.string()).loaded);
    EXPECT_EQ(images.Imagen_Edicion, before.Imagen_Edicion);
}

TEST_F(SetpointFiles, DialogsUseTheirTextsAndCancelDoesNothing) {
    const fs::path p = dir / "dlg.NEVA2";
    state.Archivo_Cargado = true;
    msgs.expect_save_file(p.string()).expect_save_file(std::nullopt).expect_open_file(std::nullopt)
        .expect_open_file(p.string());
    Manejo_de_Archivos files(state, images, msgs, clock);

    EXPECT_EQ(files.Guardar_Como(event_text), FileOutcome::Done);
    EXPECT_EQ(read_all(p).size(), 3168u);
    fs::remove(p);
    EXPECT_EQ(files.Guardar_Como(event_text), FileOutcome::Cancelled);
    EXPECT_FALSE(fs::exists(p));

    EXPECT_TRUE(files.Abrir_Archivo().cancelled);
    EXPECT_FALSE(state.Archivo_Cargado);  // cleared before the dialog, as Send expects

    files.Guardar_Archivo(p.string(), event_text);
    EXPECT_TRUE(files.Abrir_Archivo().loaded);
    EXPECT_TRUE(state.Archivo_Cargado);
    msgs.verify();

    ASSERT_EQ(msgs.seen.size(), 4u);
    EXPECT_TRUE(msgs.seen[0].dialog.overwrite_prompt);
}

}  // namespace
}  // namespace neva
