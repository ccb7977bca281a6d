#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/stat.h>
#endif

#include "files/Manejo_de_Archivos.h"
#include "files/Registro_Archivo.h"
#include "files/SafeSave.h"
#include "testing/FakeClock.h"
#include "testing/ScriptedMessages.h"
#include "testing/TempDir.h"

namespace neva {
namespace {

namespace fs = std::filesystem;
using testing::read_file;
using testing::write_file;

// A blank-padded text field of `width` characters at `offset` of a record.
void put_text(std::string& b, std::size_t offset, std::string text, std::size_t width) {
    text.resize(width, ' ');
    b.replace(offset, width, text);
}

std::string event_text(int position) { return "Event at " + std::to_string(position); }

class SetpointFiles : public ::testing::Test {
protected:
    void SetUp() override {
        clock.set_now({2026, 12, 6, 18, 30, 15});
        state.Programador = "J. Perez";
        state.Nombre_Rele = "FEEDER 7 NORTH BAY 12345";  // 24 characters, kept as 20
        state.Observaciones = "Commissioning values";
        state.Version_Rele = "1.03";
        for (std::size_t i = 0; i < kSetpointImageSize; ++i) images.Imagen_Edicion[i] = static_cast<std::uint8_t>(i + 1);
        for (std::size_t i = 0; i < kAvImageSize; ++i) images.Imagen_AV[i] = static_cast<std::uint8_t>(i * 7);
    }
    std::string path(const char* name) const { return tmp.path(name); }
    // A valid file, saved by a separate run.
    void save_sample(const std::string& p) {
        testing::ScriptedMessages quiet;
        ASSERT_TRUE(Manejo_de_Archivos(state, images, quiet, clock).Guardar_Archivo(p, event_text));
    }

    testing::TempDir tmp;
    SharedState state;
    RegisterImages images;
    testing::ScriptedMessages msgs;
    testing::FakeClock clock;
    Manejo_de_Archivos files{state, images, msgs, clock};
};

TEST_F(SetpointFiles, SavedFileIsOneExactRecordReplacingALongerOne) {
    const std::string p = path("a.NEVA2");
    write_file(p, std::string(5000, 'A'));
    ASSERT_TRUE(files.Guardar_Archivo(p, event_text));

    const std::string b = read_file(p);
    ASSERT_EQ(b.size(), 3168u);
    EXPECT_EQ(b.substr(0, 50), "NEVA2" + std::string(45, ' '));
    // 6 December 2026 18:30:15 is day 46362.771006944...
    EXPECT_EQ(b.substr(50, 8), "\x6c\xc1\x16\xac\x58\xa3\xe6\x40");
    EXPECT_EQ(b.substr(58, 20), "J. Perez" + std::string(12, ' '));
    EXPECT_EQ(b.substr(78, 20), "FEEDER 7 NORTH BAY 1");
    EXPECT_EQ(b.substr(98, 100), "Commissioning values" + std::string(80, ' '));
    EXPECT_EQ(b.substr(198, kSetpointImageSize), std::string(images.Imagen_Edicion.begin(), images.Imagen_Edicion.end()));
    EXPECT_EQ(b.substr(399, kAvImageSize), std::string(images.Imagen_AV.begin(), images.Imagen_AV.end()));
    EXPECT_EQ(b.substr(1900, 60), "Event at 64" + std::string(49, ' '));
    EXPECT_EQ(b.substr(1900 + 19 * 60, 60), "Event at 83" + std::string(49, ' '));
    EXPECT_EQ(b.substr(1900 + 20 * 60, 60), std::string(60, ' '));
    EXPECT_EQ(b.substr(3160), "1.03    ");
    // No temporary file is left beside it.
    EXPECT_EQ(std::distance(fs::directory_iterator(tmp.dir()), fs::directory_iterator()), 1);
}

TEST_F(SetpointFiles, SaveThenLoadRestoresEverythingAndKeepsOlderEvents) {
    const std::string p = path("round.NEVA2");
    save_sample(p);
    SharedState fresh;
    fresh.En_Linea = true;
    RegisterImages blank;
    blank.Imagen_Setpoints.fill(0xEE);
    testing::ScriptedMessages msgs2;
    Manejo_de_Archivos other(fresh, blank, msgs2, clock);
    const LoadResult r = other.Leer_Archivo(p);
    EXPECT_TRUE(r.loaded);
    EXPECT_EQ(r.caption, p + " - NEVA Setup 2.0");
    EXPECT_EQ(blank.Imagen_Edicion, images.Imagen_Edicion);
    EXPECT_EQ(blank.Imagen_Setpoints, images.Imagen_Edicion);
    EXPECT_EQ(blank.Imagen_AV, images.Imagen_AV);
    EXPECT_EQ(fresh.Nombre_Rele.str(), "FEEDER 7 NORTH BAY 1");
    EXPECT_EQ(fresh.Version_Rele, "1.03    ");  // 8 characters as stored
    EXPECT_FALSE(fresh.En_Linea);
    EXPECT_TRUE(fresh.Archivo_Cargado);
    EXPECT_EQ(fresh.Eventos_Guardados[1], "Event at 64");
    EXPECT_EQ(fresh.Eventos_Guardados[20], "Event at 83");

    // A file with all 21 event entries filled, a padded marker and an older, longer
    // record (only the first record counts). A save with the link's record refreshes
    // all twenty entries a load reads, a save without keeps the file's.
    std::string b = read_file(p);
    for (int i = 0; i < 21; ++i) put_text(b, 1900 + i * 60, "  old " + std::to_string(i), 60);
    put_text(b, 0, "  NEVA2", 50);
    b.resize(4000, 'Z');
    write_file(p, b);
    ASSERT_TRUE(files.Leer_Archivo(p).loaded);
    EXPECT_EQ(state.Eventos_Guardados[1], "old 0");
    EXPECT_EQ(state.Eventos_Guardados[20], "old 19");
    // A refused load in between must not disturb the kept entries.
    write_file(path("bad.NEVA2"), std::string(3168, 'x'));
    msgs.expect_message("It isn't NEVA File");
    EXPECT_FALSE(files.Leer_Archivo(path("bad.NEVA2")).loaded);
    ASSERT_TRUE(files.Guardar_Archivo(path("copy.NEVA2"), event_text));
    const std::string c = read_file(path("copy.NEVA2"));
    EXPECT_EQ(c.substr(1900, 11), "Event at 64");
    EXPECT_EQ(c.substr(1900 + 19 * 60, 12), "Event at 83 ");
    EXPECT_EQ(c.substr(1900 + 20 * 60, 12), "  old 20    ");
    ASSERT_TRUE(files.Leer_Archivo(p).loaded);
    ASSERT_TRUE(files.Guardar_Archivo(path("copy.NEVA2"), {}));
    EXPECT_EQ(read_file(path("copy.NEVA2")).substr(1900, 12), "  old 0     ");
}

TEST_F(SetpointFiles, RefusedFilesChangeNothing) {
    save_sample(path("good.NEVA2"));
    std::string foreign = read_file(path("good.NEVA2"));  // another marker and other header texts
    write_file(path("short.NEVA2"), foreign.substr(0, foreign.size() - 1));
    put_text(foreign, 0, "NEVA1", 50);
    put_text(foreign, 78, "SOMEBODY ELSE", 20);
    write_file(path("foreign.NEVA2"), foreign);
    write_file(path("empty.NEVA2"), "");

    state.En_Linea = true;
    state.Nombre_Rele = "KEEP ME";
    images.Imagen_Setpoints.fill(0x32);
    const RegisterImages before = images;
    auto unchanged = [&] {
        EXPECT_TRUE(state.En_Linea);
        EXPECT_EQ(state.Nombre_Rele.trimmed_right(), "KEEP ME");
        EXPECT_TRUE(images.Imagen_Edicion == before.Imagen_Edicion && images.Imagen_Setpoints == before.Imagen_Setpoints &&
                    images.Imagen_AV == before.Imagen_AV);
    };
    // Under the message: which file, and why it is refused.
    const std::pair<const char*, std::string> refused[] = {
        {"foreign.NEVA2", "it does not carry the setpoint file marker \"NEVA2\" (another kind of file, or a damaged one)"},
        {"short.NEVA2", "too short (3167 bytes; a setpoint file has 3168)"},
        {"empty.NEVA2", "too short (0 bytes; a setpoint file has 3168)"},
        {"missing.NEVA2", "the file does not exist"}};
    for (const auto& [file, why] : refused) {
        SCOPED_TRACE(file);
        state.Archivo_Cargado = true;
        msgs.expect_message("It isn't NEVA File\n" + path(file) + ": " + why, kAppTitle, MsgButtons::Ok, MsgIcon::None);
        EXPECT_FALSE(files.Leer_Archivo(path(file)).loaded);
        msgs.verify();
        EXPECT_FALSE(state.Archivo_Cargado);
        unchanged();
    }
    // Opening a missing path does not create it.
    EXPECT_FALSE(fs::exists(path("missing.NEVA2")));
    // A path that cannot be read as a file gets its own message.
    msgs.expect_message(Manejo_de_Archivos::read_failed_text(tmp.dir().string()));
    EXPECT_FALSE(files.Leer_Archivo(tmp.dir().string()).loaded);
    unchanged();
}

TEST_F(SetpointFiles, FailedSaveSaysWhereAndWhyAndKeepsItsBufferAndUnsavedWork) {
    // What the safe save refuses is its own test; here, what the user is told.
    fs::create_directory(path("taken.NEVA2"));
    state.unsaved_changes = true;
    msgs.expect_message(Manejo_de_Archivos::save_failed_text(path("taken.NEVA2"), "what is there is a folder"),
                        kAppTitle, MsgButtons::Ok, MsgIcon::Exclamation);
    EXPECT_FALSE(files.Guardar_Archivo(path("taken.NEVA2"), event_text));
    msgs.verify();
    EXPECT_TRUE(state.unsaved_changes);
    EXPECT_EQ(files.record().marker.trimmed_right(), "");
}

TEST_F(SetpointFiles, DialogsUseTheirTextsAndCancelDoesNothing) {
    const std::string p = path("dlg.NEVA2");
    state.Archivo_Cargado = true;
    msgs.expect_save_file(p).expect_save_file(std::nullopt).expect_open_file(std::nullopt).expect_open_file(p);
    EXPECT_EQ(files.Guardar_Como(event_text), FileOutcome::Done);
    EXPECT_EQ(read_file(p).size(), 3168u);
    fs::remove(p);
    EXPECT_EQ(files.Guardar_Como(event_text), FileOutcome::Cancelled);
    EXPECT_FALSE(fs::exists(p));

    EXPECT_TRUE(files.Abrir_Archivo().cancelled);
    EXPECT_FALSE(state.Archivo_Cargado);  // cleared before the dialog, as Send expects
    files.Guardar_Archivo(p, event_text);
    EXPECT_TRUE(files.Abrir_Archivo().loaded);
    EXPECT_TRUE(state.Archivo_Cargado);
    msgs.verify();
    EXPECT_TRUE(msgs.seen.at(0).dialog.overwrite_prompt);
}

TEST(RegistroArchivo, MarkerCheckTrimsBlanksOnlyAndOleDatesRoundTrip) {
    Registro_Archivo r;
    r.marker = std::string(45, ' ') + "NEVA2";
    EXPECT_TRUE(r.marker_ok());
    for (const char* bad : {"", "neva2", "NEVA2X", "\tNEVA2", "NEVA1"}) {
        r.marker = bad;
        EXPECT_FALSE(r.marker_ok()) << bad;
    }

    EXPECT_EQ(to_ole_date({2000, 3, 1, 0, 0, 0}), 36586.0);  // across a leap day
    // Before the epoch the fraction still adds the time of day.
    EXPECT_EQ(to_ole_date({1899, 12, 29, 6, 0, 0}), -1.25);
    for (DateTime t : {DateTime{1899, 12, 29, 6, 0, 0}, DateTime{2024, 2, 29, 23, 59, 59}}) {
        const DateTime b = from_ole_date(to_ole_date(t));
        EXPECT_EQ(std::vector<int>({b.year, b.month, b.day, b.hour, b.minute, b.second}),
                  std::vector<int>({t.year, t.month, t.day, t.hour, t.minute, t.second}));
    }
    // A garbage date from a foreign file does not crash.
    EXPECT_EQ(from_ole_date(1e300).year, 1899);
}

// Links, permission bits and pipes as a POSIX system has them.
#ifndef _WIN32
SaveOutcome save(const fs::path& p, const std::string& text) {
    return save_file_safely(p, std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
}

TEST(SafeSave, KeepsWhatIsThereSafeAndRefusesWhatItMustNotReplace) {
    testing::TempDir tmp;
    const fs::path dir = tmp.dir(), f = dir / "a.NEVA2";
    write_file(f, "old");
    write_file(dir / "victim", "keep");
    fs::permissions(f, static_cast<fs::perms>(0640));
    // A link planted at the temporary name of earlier versions is never followed.
    fs::create_symlink("victim", dir / "a.NEVA2.saving");
    ASSERT_TRUE(save(f, "new").ok);
    EXPECT_EQ(read_file(f), "new");
    EXPECT_EQ(fs::status(f).permissions(), static_cast<fs::perms>(0640));
    EXPECT_EQ(read_file(dir / "victim"), "keep");

    // A link is written through and stays a link.
    fs::create_symlink("a.NEVA2", dir / "link.NEVA2");
    ASSERT_TRUE(save(dir / "link.NEVA2", "through").ok);
    EXPECT_TRUE(fs::is_symlink(dir / "link.NEVA2"));
    EXPECT_EQ(read_file(f), "through");

    // Read-only (refused for root too), a pipe, no folder: refused, left alone.
    fs::permissions(f, static_cast<fs::perms>(0444));
    EXPECT_NE(save(f, "x").reason.find("read-only"), std::string::npos);
    EXPECT_EQ(read_file(f), "through");
    ASSERT_EQ(::mkfifo((dir / "pipe").c_str(), 0600), 0);
    EXPECT_EQ(save(dir / "pipe", "x").reason, kNotPlainFile);
    EXPECT_EQ(save(dir / "none" / "x", "x").reason, "the folder does not exist");

    // No temporary file is left: a.NEVA2, victim, the planted link, link.NEVA2, pipe.
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 5);
}
#endif

}  // namespace
}  // namespace neva
