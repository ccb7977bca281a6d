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

TEST_F(SetpointFiles, SavedFileIsOneExactRecord) {
    Manejo_de_Archivos files(state, images, msgs, clock);
    const fs::path p = dir / "a.NEVA2";
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
    EXPECT_EQ(text_at(b, 1900 + 9 * 60, 60), "Event at 73" + std::string(49, ' '));
    EXPECT_EQ(text_at(b, 1900 + 10 * 60, 60), std::string(60, ' '));
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
    EXPECT_EQ(r.address_panel, "Address: 3");
    EXPECT_EQ(r.status_panel, "Not Communicating..");
    EXPECT_EQ(blank.Imagen_Edicion, edit);
    EXPECT_EQ(blank.Imagen_Setpoints, edit);
    EXPECT_EQ(blank.Imagen_AV, av);
    EXPECT_EQ(fresh.Programador.str(), "J. Perez" + std::string(12, ' '));
    EXPECT_EQ(fresh.Nombre_Rele.str(), "FEEDER 7 NORTH BAY 1");
    EXPECT_EQ(fresh.Observaciones, state.Observaciones);
    EXPECT_EQ(fresh.Version_Rele, "1.03    ");  // 8 characters as stored
    EXPECT_FALSE(fresh.En_Linea);
    EXPECT_TRUE(fresh.Error_Comunicacion);
    EXPECT_TRUE(fresh.Archivo_Cargado);
    EXPECT_EQ(fresh.Eventos_Guardados[1], "Event at 64");
    EXPECT_EQ(fresh.Eventos_Guardados[10], "Event at 73");
    EXPECT_EQ(fresh.Eventos_Guardados[11], "");
}

TEST_F(SetpointFiles, OlderEventEntriesSurviveFromTheLastLoad) {
    // A file whose 21 event entries are all filled; the saved copy refreshes 0..9 only.
    const fs::path p = dir / "events.NEVA2";
    save_sample(p);
    auto b = read_all(p);
    for (int i = 0; i < 21; ++i) {
        std::string e = "  old " + std::to_string(i) + "  ";
        e.resize(60, ' ');
        std::copy(e.begin(), e.end(), b.begin() + 1900 + i * 60);
    }
    write_all(p, b);

    Manejo_de_Archivos files(state, images, msgs, clock);
    ASSERT_TRUE(files.Leer_Archivo(p.string()).loaded);
    EXPECT_EQ(state.Eventos_Guardados[1], "old 0");
    EXPECT_EQ(state.Eventos_Guardados[20], "old 19");

    const fs::path q = dir / "copy.NEVA2";
    ASSERT_TRUE(files.Guardar_Archivo(q.string(), event_text));
    const auto c = read_all(q);
    EXPECT_EQ(text_at(c, 1900, 11), "Event at 64");
    EXPECT_EQ(text_at(c, 1900 + 10 * 60, 12), "  old 10    ");
    EXPECT_EQ(text_at(c, 1900 + 20 * 60, 12), "  old 20    ");
}

TEST_F(SetpointFiles, PaddedMarkerAndLongerFileAreAccepted) {
    const fs::path p = dir / "padded.NEVA2";
    save_sample(p);
    auto b = read_all(p);
    const std::string marker = "  NEVA2" + std::string(43, ' ');
    std::copy(marker.begin(), marker.end(), b.begin());
    b.resize(4000, 0x5A);  // an older, longer file: only the first record counts
    write_all(p, b);

    Manejo_de_Archivos files(state, images, msgs, clock);
    EXPECT_TRUE(files.Leer_Archivo(p.string()).loaded);
    EXPECT_TRUE(state.Archivo_Cargado);
}

TEST_F(SetpointFiles, RefusedFilesChangeNothing) {
    const fs::path good = dir / "good.NEVA2";
    save_sample(good);
    const auto full = read_all(good);

    // A foreign record with other header texts, and a truncated good one.
    auto foreign = full;
    const std::string marker = "NEVA1" + std::string(45, ' ');
    std::copy(marker.begin(), marker.end(), foreign.begin());
    const std::string name = "SOMEBODY ELSE       ";
    std::copy(name.begin(), name.end(), foreign.begin() + 78);
    write_all(dir / "foreign.NEVA2", foreign);
    write_all(dir / "short.NEVA2", std::vector<std::uint8_t>(full.begin(), full.end() - 1));
    write_all(dir / "empty.NEVA2", {});

    SharedState before = state;
    before.En_Linea = true;
    before.Archivo_Cargado = true;
    before.Nombre_Rele = "KEEP ME";
    RegisterImages imgs;
    imgs.Imagen_Edicion.fill(0x31);
    imgs.Imagen_Setpoints.fill(0x32);
    imgs.Imagen_AV.fill(0x33);
    const RegisterImages imgs_before = imgs;

    for (const char* file : {"foreign.NEVA2", "short.NEVA2", "empty.NEVA2", "missing.NEVA2"}) {
        SCOPED_TRACE(file);
        SharedState s = before;
        RegisterImages i = imgs;
        ScriptedMessages m;
        m.expect_message("It isn't NEVA File", kAppTitle, MsgButtons::Ok, MsgIcon::None);
        Manejo_de_Archivos files(s, i, m, clock);
        const LoadResult r = files.Leer_Archivo((dir / file).string());
        m.verify();
        EXPECT_FALSE(r.loaded);
        EXPECT_FALSE(s.Archivo_Cargado);
        EXPECT_TRUE(s.En_Linea);
        EXPECT_FALSE(s.Error_Comunicacion);
        EXPECT_EQ(s.Nombre_Rele.str(), before.Nombre_Rele.str());
        EXPECT_EQ(s.Version_Rele, before.Version_Rele);
        EXPECT_EQ(i.Imagen_Edicion, imgs_before.Imagen_Edicion);
        EXPECT_EQ(i.Imagen_Setpoints, imgs_before.Imagen_Setpoints);
        EXPECT_EQ(i.Imagen_AV, imgs_before.Imagen_AV);
    }
    // Opening a missing path does not create it.
    EXPECT_FALSE(fs::exists(dir / "missing.NEVA2"));

    // A path that cannot be read as a file gets its own message.
    SharedState s = before;
    RegisterImages i = imgs;
    ScriptedMessages m;
    const std::string folder = dir.string();
    m.expect_message(Manejo_de_Archivos::read_failed_text(folder));
    Manejo_de_Archivos files(s, i, m, clock);
    EXPECT_FALSE(files.Leer_Archivo(folder).loaded);
    EXPECT_FALSE(s.Archivo_Cargado);
    EXPECT_EQ(i.Imagen_Edicion, imgs_before.Imagen_Edicion);
}

TEST_F(SetpointFiles, FailedLoadKeepsTheRecordBuffer) {
    // Event entries 10..20 of the last good load must survive a refused load.
    const fs::path p = dir / "events.NEVA2";
    save_sample(p);
    auto b = read_all(p);
    const std::string e = "kept entry";
    std::copy(e.begin(), e.end(), b.begin() + 1900 + 15 * 60);
    write_all(p, b);
    write_all(dir / "bad.NEVA2", std::vector<std::uint8_t>(3168, 'x'));

    Manejo_de_Archivos files(state, images, msgs, clock);
    ASSERT_TRUE(files.Leer_Archivo(p.string()).loaded);
    msgs.expect_message("It isn't NEVA File");
    EXPECT_FALSE(files.Leer_Archivo((dir / "bad.NEVA2").string()).loaded);
    EXPECT_EQ(files.record().events[15].trimmed_right(), "kept entry");
}

TEST_F(SetpointFiles, FailedSaveReportsAndLeavesTheOldFile) {
    Manejo_de_Archivos files(state, images, msgs, clock);

    // Parent is a regular file: the folder cannot exist.
    write_all(dir / "plain", {1, 2, 3});
    const std::string impossible = (dir / "plain" / "x.NEVA2").string();
    msgs.expect_message(Manejo_de_Archivos::save_failed_text(impossible), kAppTitle, MsgButtons::Ok,
                        MsgIcon::Exclamation);
    EXPECT_FALSE(files.Guardar_Archivo(impossible, event_text));
    msgs.verify();
    EXPECT_EQ(read_all(dir / "plain"), (std::vector<std::uint8_t>{1, 2, 3}));

    // An existing file whose replacement cannot be written stays byte for byte.
    const fs::path old = dir / "old.NEVA2";
    write_all(old, {9, 8, 7});
    fs::create_directory(dir / "old.NEVA2.saving");  // blocks the temporary file
    ScriptedMessages m2;
    m2.expect_message(Manejo_de_Archivos::save_failed_text(old.string()));
    Manejo_de_Archivos files2(state, images, m2, clock);
    EXPECT_FALSE(files2.Guardar_Archivo(old.string(), event_text));
    m2.verify();
    EXPECT_EQ(read_all(old), (std::vector<std::uint8_t>{9, 8, 7}));
    EXPECT_TRUE(fs::is_directory(dir / "old.NEVA2.saving"));  // not ours: left alone

    // A folder in the way of the rename: the folder and its contents stay, no temp left.
    fs::create_directory(dir / "taken.NEVA2");
    write_all(dir / "taken.NEVA2" / "inside", {1});
    ScriptedMessages m3;
    const std::string taken = (dir / "taken.NEVA2").string();
    m3.expect_message(Manejo_de_Archivos::save_failed_text(taken));
    Manejo_de_Archivos files3(state, images, m3, clock);
    EXPECT_FALSE(files3.Guardar_Archivo(taken, event_text));
    m3.verify();
    EXPECT_EQ(read_all(dir / "taken.NEVA2" / "inside"), (std::vector<std::uint8_t>{1}));
    EXPECT_FALSE(fs::exists(dir / "taken.NEVA2.saving"));
    // And the buffer did not take the failed save's texts.
    EXPECT_EQ(files3.record().marker.trimmed_right(), "");
}

TEST_F(SetpointFiles, SaveReplacesAnExistingFile) {
    const fs::path p = dir / "over.NEVA2";
    write_all(p, std::vector<std::uint8_t>(5000, 0x41));
    Manejo_de_Archivos files(state, images, msgs, clock);
    ASSERT_TRUE(files.Guardar_Archivo(p.string(), event_text));
    const auto b = read_all(p);
    ASSERT_EQ(b.size(), 3168u);
    EXPECT_EQ(text_at(b, 0, 5), "NEVA2");
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

    const LoadResult cancelled = files.Abrir_Archivo();
    EXPECT_TRUE(cancelled.cancelled);
    EXPECT_FALSE(cancelled.loaded);
    EXPECT_FALSE(state.Archivo_Cargado);  // cleared before the dialog, as Send expects

    files.Guardar_Archivo(p.string(), event_text);
    const LoadResult opened = files.Abrir_Archivo();
    EXPECT_TRUE(opened.loaded);
    EXPECT_TRUE(state.Archivo_Cargado);
    msgs.verify();

    ASSERT_EQ(msgs.seen.size(), 4u);
    const FileDialogSetup& save = msgs.seen[0].dialog;
    EXPECT_EQ(save.initial_name, "*.NEVA2");
    EXPECT_EQ(save.filter, "NEVA Files (*.NEVA2)|*.NEVA2| All Files (*.*)|*.*|");
    EXPECT_TRUE(save.overwrite_prompt);
    EXPECT_TRUE(save.hide_read_only);
    const FileDialogSetup& open = msgs.seen[2].dialog;
    EXPECT_EQ(open.initial_name, "*.NEVA2");
    EXPECT_EQ(open.filter, "NEVA Files (*.NEVA2)|*.NEVA2|All Files (*.*)|*.*|");
    EXPECT_FALSE(open.overwrite_prompt);
    EXPECT_FALSE(open.hide_read_only);
}

}  // namespace
}  // namespace neva
