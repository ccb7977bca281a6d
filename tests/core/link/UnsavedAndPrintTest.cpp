// The unsaved-work state the questions of the program rely on, and the event print
// that must not stay "printing" once it can no longer finish.

#include <filesystem>

#include "LinkTestRig.h"
#include "files/Manejo_de_Archivos.h"

namespace neva::linktest {

TEST(UnsavedChanges, SetByTheRelaysSetpointsClearedBySaveAndLoad) {
    Rig r;
    r.connect_and_settle();  // both setpoint blocks read
    EXPECT_TRUE(r.state.unsaved_changes);

    const auto path = (std::filesystem::temp_directory_path() /
                       ("neva-unsaved-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + ".NEVA2"))
                          .string();
    Manejo_de_Archivos files(r.state, r.images, r.messages, r.clock);
    ASSERT_TRUE(files.Guardar_Archivo(path, {}));
    EXPECT_FALSE(r.state.unsaved_changes);
    r.state.unsaved_changes = true;
    ASSERT_TRUE(files.Leer_Archivo(path).loaded);
    EXPECT_FALSE(r.state.unsaved_changes);
    std::filesystem::remove(path);
}

TEST(EventPrint, EveryPathThatAbandonsItClearsPrinting) {
    Rig r;
    r.connect_and_settle();
    ASSERT_TRUE(r.link.Imprimir_Eventos());
    EXPECT_TRUE(r.state.Imprimiendo);
    r.link.Desconectar();  // OFF
    EXPECT_FALSE(r.state.Imprimiendo);

    // The relay falls silent under the print.
    r.connect_and_settle();
    ASSERT_TRUE(r.link.Imprimir_Eventos());
    r.messages.expect_message(" Communication Error...");
    for (int i = 0; i < 10; ++i) r.tick();
    r.messages.verify();
    EXPECT_FALSE(r.state.Imprimiendo);

    // A queue that cannot take the reads starts no print at all.
    r.connect_and_settle();
    for (int i = 0; i < Proceso_Comunicacion::kSlots; ++i) r.link.Encolar_Proceso(0, 4);
    EXPECT_FALSE(r.link.Imprimir_Eventos());
    EXPECT_FALSE(r.state.Imprimiendo);
}

}  // namespace neva::linktest
