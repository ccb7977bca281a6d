// Links and pipes as a POSIX system has them.
#ifndef _WIN32
#include <sys/stat.h>

#include "ModemFixture.h"
#include "files/SafeSave.h"

namespace neva::testing {
namespace {

class ArchivoATSafety : public ModemFixture {};

TEST_F(ArchivoATSafety, WrittenThroughALinkAndNeverIntoAPipe) {
    // An "AT" that is a link to the user's own copy: the copy is rewritten, the link stays.
    std::ofstream(folder / "mine") << std::string(100, ' ') << "second record" << std::string(87, ' ');
    std::filesystem::create_symlink("mine", folder / "AT");
    state.Cadena_Modem = "ATS0=1";
    ASSERT_TRUE(modem->Guardar_Cadena_Modem(1)) << modem->save_error();
    EXPECT_TRUE(std::filesystem::is_symlink(folder / "AT"));
    EXPECT_EQ(at_file(), "ATS0=1" + std::string(94, ' ') + "second record" + std::string(87, ' '));

    // A pipe at that name would block the read for ever and be replaced by the save.
    std::filesystem::remove(folder / "AT");
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
