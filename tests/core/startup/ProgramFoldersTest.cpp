#include <gtest/gtest.h>

#include <ctime>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>

#include "files/Manejo_de_Archivos.h"
#include "platform/PortName.h"
#include "startup/Arranque.h"
#include "startup/ProgramFolders.h"
#include "testing/ScriptedMessages.h"

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
    const fs::path prefix = fs::temp_directory_path() / ("neva-prefix-" + std::to_string(std::random_device{}()));
    const fs::path bin = prefix / "bin", data = prefix / "share" / "neva-setup";
    fs::create_directories(bin);
    fs::create_directories(data);
    EXPECT_EQ(ProgramFolders::default_file(bin.string()), Arranque::ruta_archivo_defecto(bin.string()));
    std::ofstream(data / "Default.NEVA2") << "installed";
    EXPECT_EQ(fs::path(ProgramFolders::default_file(bin.string())), data / "Default.NEVA2");
    std::ofstream(bin / "Default.NEVA2") << "beside";
    EXPECT_EQ(fs::path(ProgramFolders::default_file(bin.string())), bin / "Default.NEVA2");
    fs::remove_all(prefix);
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
    const fs::path root = fs::temp_directory_path() / ("neva native " + std::to_string(std::random_device{}()));
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
    fs::remove_all(root);
}

}  // namespace
}  // namespace neva
