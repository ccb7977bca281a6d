#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <random>

#include "platform/PortName.h"
#include "startup/Arranque.h"
#include "startup/ProgramFolders.h"
#include "startup/ProgramHelp.h"

namespace neva {
namespace {

namespace fs = std::filesystem;

Environment env_of(std::map<std::string, std::string> vars) {
    return [vars](const char* name) -> std::optional<std::string> {
        auto it = vars.find(name);
        if (it == vars.end()) return std::nullopt;
        return it->second;
    };
}

TEST(ProgramFolders, FactoryFileBesideTheProgramFirstThenTheInstalledDataFolder) {
    const fs::path prefix = fs::temp_directory_path() / ("neva-prefix-" + std::to_string(std::random_device{}()));
    const fs::path bin = prefix / "bin";
    const fs::path data = (bin / ProgramFolders::installed_data_relative()).lexically_normal();
    fs::create_directories(bin);
    fs::create_directories(data);
    EXPECT_EQ(data, prefix / "share" / "neva-setup");

    // Nowhere: the path beside the program, so that the failed load names it.
    EXPECT_EQ(ProgramFolders::default_file(bin.string()), Arranque::ruta_archivo_defecto(bin.string()));
    std::ofstream(data / "Default.NEVA2") << "installed";
    EXPECT_EQ(fs::path(ProgramFolders::default_file(bin.string())), data / "Default.NEVA2");
    // A file beside the program (a build tree, an unpacked folder) wins.
    std::ofstream(bin / "Default.NEVA2") << "beside";
    EXPECT_EQ(fs::path(ProgramFolders::default_file(bin.string())), bin / "Default.NEVA2");
    fs::remove_all(prefix);
}

TEST(ProgramFolders, ConfigurationFolderFollowsTheEnvironment) {
#ifdef _WIN32
    EXPECT_EQ(ProgramFolders::config_folder(env_of({{"APPDATA", "C:\\Users\\eng\\AppData\\Roaming"}})),
              "C:\\Users\\eng\\AppData\\Roaming\\NEVA Setup");
    EXPECT_EQ(ProgramFolders::config_folder(env_of({{"HOME", "C:\\Users\\eng"}})), "");
#else
    EXPECT_EQ(ProgramFolders::config_folder(env_of({{"XDG_CONFIG_HOME", "/cfg"}, {"HOME", "/home/eng"}})),
              "/cfg/neva-setup");
    // A relative XDG_CONFIG_HOME is not a configuration folder; HOME's is.
    EXPECT_EQ(ProgramFolders::config_folder(env_of({{"XDG_CONFIG_HOME", "cfg"}, {"HOME", "/home/eng/"}})),
              "/home/eng/.config/neva-setup");
    EXPECT_EQ(ProgramFolders::config_folder(env_of({{"XDG_CONFIG_HOME", ""}, {"HOME", ""}})), "");
#endif
    EXPECT_EQ(ProgramFolders::config_folder(env_of({})), "");
}

TEST(ProgramFolders, PortNumbersNameTheSystemsPortsUnlessTheEnvironmentNamesADevice) {
#ifdef _WIN32
    EXPECT_EQ(port_device_name(3, env_of({})), "COM3");
#else
    EXPECT_EQ(port_device_name(3, env_of({})), "/dev/ttyS2");
#endif
    EXPECT_EQ(port_device_name(1, env_of({{"NEVA_COM1", "/dev/ttyUSB0"}})), "/dev/ttyUSB0");
    EXPECT_EQ(port_device_name(2, env_of({{"NEVA_COM1", "/dev/ttyUSB0"}})), port_device_name(2, env_of({})));
    EXPECT_EQ(port_device_name(0, env_of({})), "");
    EXPECT_EQ(port_device_name(0, env_of({{"NEVA_COM0", "/dev/pts/7"}})), "/dev/pts/7");
}

TEST(ProgramHelp, OnlyALoneHelpOrVersionIsAnInformationRequest) {
    EXPECT_EQ(ProgramHelp::information_request({"--version"}), "neva-setup " + Arranque::version_programa() + "\n");
    const auto help = ProgramHelp::information_request({"--help"});
    ASSERT_TRUE(help);
    EXPECT_EQ(help->rfind("Usage: neva-setup", 0), 0u);
    EXPECT_NE(help->find("1200, 2400, 4800, 9600, 19200, 38400 or 57600"), std::string::npos);
    EXPECT_EQ(ProgramHelp::information_request({"-h"}), help);
    // Starts of the program keep their meaning.
    EXPECT_FALSE(ProgramHelp::information_request({}));
    EXPECT_FALSE(ProgramHelp::information_request({"9600,N,8,1 1 1"}));
    EXPECT_FALSE(ProgramHelp::information_request({"9600,N,8,1", "1", "1"}));
    EXPECT_FALSE(ProgramHelp::information_request({"--help", "1"}));
}

}  // namespace
}  // namespace neva
