// Setpoint files under the platform's own paths and clock: on Windows, drive-letter
// paths with backslashes and blanks, and the local time from the C library's
// Windows branch; on Linux the same with its own separators.
#include <gtest/gtest.h>

#include <ctime>
#include <filesystem>
#include <random>

#include "files/Manejo_de_Archivos.h"
#include "files/Registro_Archivo.h"
#include "testing/ScriptedMessages.h"

namespace neva {
namespace {

namespace fs = std::filesystem;

TEST(NativePaths, SetpointFileRoundTripsUnderNativePathsWithTheLocalSaveTime) {
    const fs::path root = fs::temp_directory_path() / ("neva native " + std::to_string(std::random_device{}()));
    // Built as text with the platform's separator, the way a file dialog returns it.
    const std::string sep(1, static_cast<char>(fs::path::preferred_separator));
    const std::string folder = root.string() + sep + "Feeder 7" + sep + "Bay 12";
    const std::string file = folder + sep + "relay 1.NEVA2";
#ifdef _WIN32
    ASSERT_EQ(file.find('/'), std::string::npos) << file;
    ASSERT_EQ(file[1], ':') << file;
#endif
    fs::create_directories(folder);

    SharedState state;
    RegisterImages images;
    testing::ScriptedMessages messages;
    SystemClock clock;
    state.Programador = "J. Perez";
    for (std::size_t i = 0; i < kSetpointImageSize; ++i) images.Imagen_Edicion[i] = static_cast<std::uint8_t>(i * 3);
    Manejo_de_Archivos files(state, images, messages, clock);

    const std::time_t before = std::time(nullptr);
    ASSERT_TRUE(files.Guardar_Archivo(file, {}));
    ASSERT_TRUE(fs::is_regular_file(file));
    EXPECT_EQ(fs::file_size(file), kRecordSize);

    RegisterImages loaded_images;
    SharedState loaded_state;
    Manejo_de_Archivos loader(loaded_state, loaded_images, messages, clock);
    const LoadResult r = loader.Leer_Archivo(file);
    ASSERT_TRUE(r.loaded);
    EXPECT_EQ(r.caption, file + Manejo_de_Archivos::kCaptionSuffix);
    EXPECT_EQ(loaded_images.Imagen_Edicion, images.Imagen_Edicion);
    EXPECT_EQ(loaded_state.Programador.str(), state.Programador.str());

    // The stamp is the local time of the save, as the C library sees it.
    std::tm local{};
#ifdef _WIN32
    localtime_s(&local, &before);
#else
    localtime_r(&before, &local);
#endif
    const DateTime then{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec};
    const double seconds = (loader.record().date - to_ole_date(then)) * 86400.0;
    EXPECT_GE(seconds, -0.5);
    EXPECT_LT(seconds, 60.0);

    messages.verify();
    fs::remove_all(root);
}

}  // namespace
}  // namespace neva
