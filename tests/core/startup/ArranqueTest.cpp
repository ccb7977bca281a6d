#include <gtest/gtest.h>

#include <ctime>
#include <filesystem>
#include <fstream>
#include <map>

#include "files/Manejo_de_Archivos.h"
#include "platform/PortName.h"
#include "startup/Arranque.h"
#include "startup/ProgramFolders.h"
#include "startup/SharedState.h"
#include "testing/FakeClock.h"
#include "testing/ScriptedMessages.h"
#include "testing/TempDir.h"

using neva::Arranque;

TEST(Arranque, ExternalStartLineGivesSpeedPortAndAddress) {
    auto r = Arranque::interpretar("9600,N,8,1 2 1");
    ASSERT_TRUE(r);
    ASSERT_TRUE(r->linea) << r->error;
    EXPECT_EQ(r->linea->velocidad, 9600);
    EXPECT_EQ(r->linea->puerto, 2);
    EXPECT_EQ(r->linea->direccion, 1);

    // Only the number before the first comma is the speed; the launcher may pass the
    // line as three separate arguments and with surrounding blanks.
    auto j = Arranque::interpretar(Arranque::unir_argumentos({"19200,E,7,2", "8", "247"}));
    ASSERT_TRUE(j && j->linea);
    EXPECT_EQ(j->linea->direccion, 247);
    auto b = Arranque::interpretar("  1200, 1   1  ");
    ASSERT_TRUE(b && b->linea) << (b ? b->error : "");
    EXPECT_EQ(b->linea->velocidad, 1200);
    // Two blanks, or an empty argument between the fields, are one separator on
    // purpose: port 2 and address 1, never an empty port field.
    const std::string lines[] = {"9600,N,8,1  2  1", Arranque::unir_argumentos({"9600,N,8,1", "", "2", "1"})};
    for (const auto& l : lines) {
        auto d = Arranque::interpretar(l);
        ASSERT_TRUE(d && d->linea) << l;
        EXPECT_EQ(d->linea->puerto, 2);
        EXPECT_EQ(d->linea->direccion, 1);
    }

    EXPECT_FALSE(Arranque::interpretar("   "));
}

TEST(Arranque, MalformedLinesNameTheirProblem) {
    struct Caso { const char* linea; const char* trozo; };
    const Caso casos[] = {
        {"9600,N,8,1 2", "fewer than three fields"}, {"9600,N,8,1 2 1 5", "more than three fields"},
        {"9600 2 1", "no comma"}, {"fast,N,8,1 2 1", "speed \"fast\""},
        {"0,N,8,1 2 1", "not a serial speed"}, {"14400,N,8,1 2 1", "not one of 1200, 2400"},
        {"99999999999999999999999,N,8,1 2 1", "not a serial speed"}, {"9600,N,8,1 two 1", "port number \"two\""},
        {"9600,N,8,1 0 1", "port number 0 on the command line is outside 1 to 8"},
        {"9600,N,8,1 99999999999999999999 1", "outside 1 to 8"}, {"9600,N,8,1 2 -1", "relay address \"-1\""},
        {"9600,N,8,1 2 0", "relay address 0 on the command line is outside 1 to 247"},
        {"9600,N,8,1 2 248", "outside 1 to 247"},
    };
    for (const auto& c : casos) {
        auto r = Arranque::interpretar(c.linea);
        ASSERT_TRUE(r) << c.linea;
        EXPECT_FALSE(r->linea) << c.linea;
        EXPECT_NE(r->error.find(c.trozo), std::string::npos) << c.linea << " -> " << r->error;
        EXPECT_NE(r->error.find("starts without a connection"), std::string::npos);
    }
}

TEST(Arranque, DefaultFileBesideTheProgramWithoutDoubledSeparator) {
#ifdef _WIN32
    EXPECT_EQ(Arranque::ruta_archivo_defecto("C:\\NEVA"), "C:\\NEVA\\Default.NEVA2");
#else
    EXPECT_EQ(Arranque::ruta_archivo_defecto("/opt/neva"), "/opt/neva/Default.NEVA2");
#endif
    EXPECT_EQ(Arranque::ruta_archivo_defecto("C:\\"), "C:\\Default.NEVA2");
    EXPECT_EQ(Arranque::ruta_archivo_defecto("/"), "/Default.NEVA2");
}

TEST(Arranque, SplashWaitEndsAfterThreeSecondsAlsoAcrossMidnight) {
    neva::testing::FakeClock clock;
    clock.set_now({2026, 12, 31, 23, 59, 58});
    neva::EsperaSplash espera(clock);
    EXPECT_FALSE(espera.terminada());
    clock.advance_ms(2000);
    // The time of day has wrapped to 00:00:00 here; the wait must not care.
    clock.set_now({2027, 1, 1, 0, 0, 0});
    EXPECT_FALSE(espera.terminada());
    EXPECT_EQ(espera.restante_ms(), 1000);
    clock.advance_ms(1000);
    EXPECT_TRUE(espera.terminada());
    EXPECT_EQ(espera.restante_ms(), 0);
}

namespace neva {
namespace {

namespace fs = std::filesystem;

Environment env_of(std::map<std::string, std::string> vars) {
    return [vars](const char* name) -> std::optional<std::string> {
        if (auto it = vars.find(name); it != vars.end()) return it->second;
        return std::nullopt;
    };
}

TEST(ProgramFolders, FactoryFileBesideTheProgramFirstThenTheInstalledDataFolder) {
    testing::TempDir prefix;
    const fs::path bin = prefix.dir() / "bin", data = prefix.dir() / "share" / "neva-setup";
    fs::create_directories(bin);
    fs::create_directories(data);
    EXPECT_EQ(ProgramFolders::default_file(bin.string()), Arranque::ruta_archivo_defecto(bin.string()));
    std::ofstream(data / "Default.NEVA2") << "installed";
    EXPECT_EQ(fs::path(ProgramFolders::default_file(bin.string())), data / "Default.NEVA2");
    std::ofstream(bin / "Default.NEVA2") << "beside";
    EXPECT_EQ(fs::path(ProgramFolders::default_file(bin.string())), bin / "Default.NEVA2");
}

TEST(ProgramFolders, ConfigurationFolderAndPortDevicesFollowTheEnvironment) {
#ifdef _WIN32
    EXPECT_EQ(ProgramFolders::config_folder(env_of({{"APPDATA", "C:\\Users\\e\\AppData\\Roaming"}})),
              "C:\\Users\\e\\AppData\\Roaming\\NEVA Setup");
    EXPECT_EQ(port_device_name(3, env_of({})), "COM3");
#else
    EXPECT_EQ(ProgramFolders::config_folder(env_of({{"XDG_CONFIG_HOME", "/cfg"}, {"HOME", "/home/e"}})),
              "/cfg/neva-setup");
    // A relative XDG_CONFIG_HOME is ignored, as the XDG rules require.
    EXPECT_EQ(ProgramFolders::config_folder(env_of({{"XDG_CONFIG_HOME", "cfg"}, {"HOME", "/home/e/"}})),
              "/home/e/.config/neva-setup");
    EXPECT_EQ(port_device_name(3, env_of({})), "/dev/ttyS2");
#endif
    EXPECT_EQ(ProgramFolders::config_folder(env_of({})), "");
}

// On Windows a drive-letter path with backslashes and blanks, and the local time of
// the C library's Windows branch.
TEST(NativePaths, SetpointFileRoundTripsUnderNativePathsWithTheLocalSaveTime) {
    testing::TempDir tmp;
    const fs::path root = tmp.dir();
    const std::string sep(1, static_cast<char>(fs::path::preferred_separator));  // as a file dialog gives it
    const std::string file = root.string() + sep + "Bay 12" + sep + "relay 1.NEVA2";
    fs::create_directories(root / "Bay 12");
    SharedState state;
    RegisterImages images, loaded;
    testing::ScriptedMessages messages;
    SystemClock clock;
    images.Imagen_Edicion[57] = 0x5A;

    const std::time_t before = std::time(nullptr);
    ASSERT_TRUE(Manejo_de_Archivos(state, images, messages, clock).Guardar_Archivo(file, {}));
    Manejo_de_Archivos loader(state, loaded, messages, clock);
    ASSERT_TRUE(loader.Leer_Archivo(file).loaded);
    EXPECT_EQ(loaded.Imagen_Edicion, images.Imagen_Edicion);

    std::tm t{};
#ifdef _WIN32
    ASSERT_EQ(file.substr(1, 2), ":\\");
    localtime_s(&t, &before);
#else
    localtime_r(&before, &t);
#endif
    const double s = 86400.0 * (loader.record().date - to_ole_date({t.tm_year + 1900, t.tm_mon + 1, t.tm_mday,
                                                                     t.tm_hour, t.tm_min, t.tm_sec}));
    EXPECT_TRUE(s > -0.5 && s < 60.0) << s << " s after the save began";
}

}  // namespace
}  // namespace neva
