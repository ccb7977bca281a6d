#include "ModemFixture.h"

namespace neva::testing {
namespace {

class ArchivoAT : public ModemFixture {};

TEST_F(ArchivoAT, RecordsAreHundredBlankPaddedBytesAndShortFilesAreRefused) {
    // Missing: reads as empty and is not created by the read.
    state.Cadena_Modem = "old";
    EXPECT_TRUE(modem->Leer_Cadena_Modem(1));
    EXPECT_EQ(state.Cadena_Modem, "");
    EXPECT_FALSE(std::filesystem::exists(folder / "AT"));

    state.Cadena_Modem = "AT&C1&D2";
    ASSERT_TRUE(modem->Guardar_Cadena_Modem(1));
    EXPECT_EQ(at_file(), "AT&C1&D2" + std::string(92, ' '));
    state.Cadena_Modem.clear();
    ASSERT_TRUE(modem->Leer_Cadena_Modem(1));
    EXPECT_EQ(state.Cadena_Modem, "AT&C1&D2" + std::string(92, ' '));

    // Too long: the record keeps the first 100 characters.
    state.Cadena_Modem = std::string(60, 'A') + std::string(60, 'B');
    ASSERT_TRUE(modem->Guardar_Cadena_Modem(1));
    EXPECT_EQ(at_file(), std::string(60, 'A') + std::string(40, 'B'));

    // Record 2 lies after record 1, which stays as it was.
    state.Cadena_Modem = "second";
    ASSERT_TRUE(modem->Guardar_Cadena_Modem(2));
    EXPECT_EQ(at_file(), std::string(60, 'A') + std::string(40, 'B') + "second" + std::string(94, ' '));
    ASSERT_TRUE(modem->Leer_Cadena_Modem(1));
    EXPECT_EQ(state.Cadena_Modem, std::string(60, 'A') + std::string(40, 'B'));
    EXPECT_FALSE(modem->Leer_Cadena_Modem(0));
    EXPECT_FALSE(std::filesystem::exists(folder / "AT.tmp"));

    // A short file changes nothing.
    write_at_file("ATZ");
    state.Cadena_Modem = "kept";
    EXPECT_FALSE(modem->Leer_Cadena_Modem(1));
    EXPECT_EQ(state.Cadena_Modem, "kept");

    // A folder that cannot be made (a file stands in its way): the save fails.
    std::ofstream(folder / "blocker") << "x";
    Lectura_Escritura nowhere(state, port, clock, messages, [] {}, (folder / "blocker" / "deeper").string());
    state.Cadena_Modem = "ATZ";
    EXPECT_FALSE(nowhere.Guardar_Cadena_Modem(1));
}

TEST_F(ArchivoAT, OldStringIsReadUntilOneIsKeptInTheConfigurationFolder) {
    const std::filesystem::path config = folder / "config" / "neva-setup";
    write_at_file("ATS0=1" + std::string(94, ' '));  // left by an earlier version in its working folder
    Lectura_Escritura moved(state, port, clock, messages, [] {}, config.string(), folder.string());
    ASSERT_TRUE(moved.Leer_Cadena_Modem(1));
    EXPECT_EQ(state.Cadena_Modem, "ATS0=1" + std::string(94, ' '));

    // The first save creates the folder and leaves the old file as it was.
    state.Cadena_Modem = "AT&C1";
    ASSERT_TRUE(moved.Guardar_Cadena_Modem(1));
    EXPECT_EQ(at_file(), "ATS0=1" + std::string(94, ' '));
    ASSERT_TRUE(moved.Leer_Cadena_Modem(1));
    EXPECT_EQ(state.Cadena_Modem, "AT&C1" + std::string(95, ' '));
    EXPECT_TRUE(std::filesystem::is_regular_file(config / "AT"));
}

}  // namespace
}  // namespace neva::testing
