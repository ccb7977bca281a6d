#include "ModemFixture.h"

namespace neva::testing {
namespace {

class ArchivoATFolder : public ModemFixture {};

TEST_F(ArchivoATFolder, OldStringIsReadUntilOneIsKeptInTheConfigurationFolder) {
    namespace fs = std::filesystem;
    const fs::path config = folder / "config" / "neva-setup";
    write_at_file("ATS0=1" + std::string(94, ' '));  // left by an earlier version in its working folder
    Lectura_Escritura moved(state, port, clock, messages, [] {}, config.string(), folder.string());

    ASSERT_TRUE(moved.Leer_Cadena_Modem(1));
    EXPECT_EQ(state.Cadena_Modem, "ATS0=1" + std::string(94, ' '));

    // The first save creates the folder; the old file is left as it was.
    state.Cadena_Modem = "AT&C1";
    ASSERT_TRUE(moved.Guardar_Cadena_Modem(1));
    EXPECT_TRUE(fs::is_regular_file(config / "AT"));
    EXPECT_EQ(at_file(), "ATS0=1" + std::string(94, ' '));
    ASSERT_TRUE(moved.Leer_Cadena_Modem(1));
    EXPECT_EQ(state.Cadena_Modem, "AT&C1" + std::string(95, ' '));

    // No file anywhere reads as an empty string and creates nothing.
    Lectura_Escritura fresh(state, port, clock, messages, [] {}, (folder / "other").string(), (folder / "none").string());
    ASSERT_TRUE(fresh.Leer_Cadena_Modem(1));
    EXPECT_EQ(state.Cadena_Modem, "");
    EXPECT_FALSE(fs::exists(folder / "other"));
}

}  // namespace
}  // namespace neva::testing
