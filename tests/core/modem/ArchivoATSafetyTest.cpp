// Links, permission bits and pipes as a POSIX system has them.
#ifndef _WIN32
#include <sys/stat.h>

#include "ModemFixture.h"
#include "files/SafeSave.h"

namespace neva::testing {
namespace {

class ArchivoATSafety : public ModemFixture {};

TEST_F(ArchivoATSafety, APipeNamedATIsNeitherReadNorReplaced) {
    // Reading would block for ever; saving would replace it with a plain file.
    ASSERT_EQ(::mkfifo((folder / "AT").c_str(), 0600), 0);
    state.Cadena_Modem = "kept";
    EXPECT_FALSE(modem->Leer_Cadena_Modem(1));
    EXPECT_EQ(state.Cadena_Modem, "kept");
    EXPECT_FALSE(modem->Guardar_Cadena_Modem(1));
    EXPECT_EQ(modem->save_error(), kNotPlainFile);
    EXPECT_TRUE(std::filesystem::is_fifo(folder / "AT"));
}

}  // namespace
}  // namespace neva::testing
#endif
